#!/usr/bin/env bash
# Prints the longest time Tolvira's window thread stays busy at a stretch under Wine, with a
# program folder of 10,000 files in nested folders (an old bar.dat and bar2.dat among them),
# during a start-up with its engine launch, a re-initialise and a picture drop, and for
# comparison while nothing happens. A figure, not a test: it fails only when one of the three
# did not happen.
#   tests/e2e/measure_ui_stall.sh [BUILD-DIR]
# BUILD-DIR is a Windows build (default build/mingw).
build=$(cd "${1:-build/mingw}" && pwd) || exit 2
export TOLVIRA_EXE=$build/Tolvira.exe TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
here=$(cd "$(dirname "$0")" && pwd)
stall=$build/e2e-tools/ui-stall.exe
source "$here/lib.sh"

[[ -f "$stall" ]] || fail "$stall is not built"
e2e_begin
reg_set "$SETTINGS_KEY" c1 0  # nothing typed into whatever has the focus
e2e_program_folder 'R&D %TEMP% x' 'window=never'
for a in $(seq 20); do
    for b in $(seq 10); do
        folder="$PROG_DIR/photos $a/day $b"
        mkdir -p "$folder"
        touch "$folder"/{1..50}.jpg
    done
    printf 'QR-Code:old\r\n' >"$PROG_DIR/photos $a/bar.dat"
    printf 'QR-Code:old\r\n' >"$PROG_DIR/photos $a/bar2.dat"
done
log "program folder: $(find "$PROG_DIR" -type f | wc -l) files in $(find "$PROG_DIR" -type d | wc -l) folders"

started_at_least() { (($(starts_of "$PROG_DIR") >= $1)); }
old_results_gone() { ! compgen -G "$PROG_DIR/photos*/bar.dat" >/dev/null; }

# measure NAME MILLISECONDS: the meter runs in the background for that long.
meter_pid=
measure() {
    "$WINE" "$stall" Tolvira "$2" >"$E2E_TMP/$1.stall" 2>&1 &
    meter_pid=$!
}
report() {
    wait "$meter_pid" || fail "the meter failed: $(cat "$E2E_TMP/$1.stall")"
    log "$1: $(cat "$E2E_TMP/$1.stall")"
}

measure start-up 4000
start_tolvira
wait_for 60 "the old bar.dat files to go" old_results_gone
wait_for 60 "the engine to start" started_at_least 1
report start-up
# The same meter with nothing happening: what the machine's load alone accounts for.
measure idle 4000
report idle

probe click bset
wait_for 5 "the settings panel to open" probe control-visible Fset
measure re-initialise 4000
probe click restart
wait_for 60 "the engine to start again" started_at_least 2
report re-initialise
probe click setok  # the panel lies over the list
wait_for 5 "the settings panel to close" sh -c "! '$WINE' '$TOLVIRA_PROBE' control-visible Fset"

qrencode -o "$E2E_TMP/picture.png" 'stall picture' || fail "qrencode failed"
wid=$(xdotool search --onlyvisible --name '^Tolvira$' | head -n1)
measure picture-drop 4000
/usr/bin/python3 "$here/xdnd_drop.py" "$wid" $((120 / 15 + 20)) $((600 / 15 + 20)) \
    "$E2E_TMP/picture.png" || fail "the drop was not taken"
probe wait-item CodeList 0 'QR-Code:stall picture' 20000 || fail "the picture was not decoded"
report picture-drop
