#!/usr/bin/env bash
# The scan path of the real Tolvira.exe under Wine: the engine launch with bar.dat in the program
# folder, the result poll, OldBar in the registry, the reserved lines, pause and resume. One
# program start; the scripted engine opens no video window, so nothing but the scans and the
# launch status enters CodeList.
source "$(dirname "$0")/lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
status_text='[正在加载图像识别模块]'

# Left by an earlier run: the launch deletes bar.dat in the folder and its subfolders, read-only
# ones included. Its last line was accepted then, so the first poll must not deliver it again.
printf 'QR-Code:old\r\nQR-Code:stale\r\n' >"$PROG_DIR/bar.dat"
mkdir -p "$PROG_DIR/sub dir"
printf 'QR-Code:sub\r\n' >"$PROG_DIR/sub dir/bar.dat"
chmod a-w "$PROG_DIR/sub dir/bar.dat"
reg_set "$SETTINGS_KEY" OldBar 'QR-Code:stale'

log "launch: old result files gone, one engine writing the program folder's bar.dat"
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-processes zbarcam.exe 1 || fail "the camera engine was not started"
wait_for 10 "the old bar.dat in a subfolder to be deleted" test ! -e "$PROG_DIR/sub dir/bar.dat"
wait_for 10 "a fresh bar.dat" test -f "$PROG_DIR/bar.dat" -a ! -s "$PROG_DIR/bar.dat"
probe wait-item CodeList 0 "$status_text" || fail "no launch status in CodeList"
# The engine records its start a moment after its process appears.
wait_for 10 "the engine's start record" test -s "$PROG_DIR/zbarcam.starts"
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1
expect_eq "programs started from the folder name split at &" "$(starts_of "$(cwd_dir)")" 0
not_listed 'QR-Code:stale'

log "new lines are listed and kept as OldBar"
feed 'QR-Code:hello'
probe wait-item CodeList 0 'QR-Code:hello' || fail "the first scan was not listed"
wait_for 5 "OldBar to be the first scan" oldbar_is 'QR-Code:hello'
feed 'QR-Code:hello' 'QR-Code:a:b:c'
probe wait-item CodeList 0 'QR-Code:a:b:c' || fail "a line with colons was not listed"
expect_item 1 'QR-Code:hello'
expect_item 2 "$status_text"

log "two codes in one poll interval are both listed, in order"
feed 'QR-Code:one' 'QR-Code:two'
probe wait-item CodeList 0 'QR-Code:two' || fail "the second of two quick scans was not listed"
expect_item 1 'QR-Code:one'

log "a line is taken only once its line end is written"
feed '@part QR-Code:pa' '@sleep 600' 'rtial'
probe wait-item CodeList 0 'QR-Code:partial' || fail "the completed line was not listed"
expect_item 1 'QR-Code:two'

log "text: UTF-8 as UTF-8, other bytes as ANSI (code page 1252 here), a bare LF stays inside the line and is removed"
feed 'QR-Code:\xe7\xa0\x81 \xe5\x9b\xbe'
probe wait-item CodeList 0 'QR-Code:码 图' || fail "UTF-8 text was not decoded"
wait_for 5 "OldBar to hold the UTF-8 line" oldbar_is 'QR-Code:码 图'
feed 'QR-Code:caf\xe9'
probe wait-item CodeList 0 'QR-Code:café' || fail "text that is not UTF-8 was not read in the ANSI code page"
feed 'QR-Code:left\x0aright'
probe wait-item CodeList 0 'QR-Code:leftright' || fail "a line with a bare LF was not joined"

log "reserved lines: OldBar changes, nothing is listed"
before=$(probe items CodeList)
feed 'QR-Code:Welcome to the Vantrel'
wait_for 5 "OldBar to be the welcome line" oldbar_is 'QR-Code:Welcome to the Vantrel'
probe control-visible hs >/dev/null || fail "the welcome line did not make hs visible"
feed '[Tolvria]:TEST'
wait_for 5 "OldBar to be the self-test line" oldbar_is '[Tolvria]:TEST'
feed 'QR-Code:two'
probe wait-item CodeList 0 'QR-Code:two' || fail "a scan after the reserved lines was not listed"
expect_eq "entries below the new scan" "$(probe items CodeList | tail -n +2)" "$before"

log "pause: nothing is read; on resume only the last line written meanwhile is listed"
probe click bp
probe wait-text bp '开始扫码' || fail "bp did not pause"
feed 'QR-Code:paused 1' 'QR-Code:paused 2' 'QR-Code:paused 3'
wait_for 10 "the engine to write while paused" grep -q 'paused 3' "$PROG_DIR/bar.dat"
expect_item 0 'QR-Code:two'
wait_for 5 "OldBar to stay while paused" oldbar_is 'QR-Code:two'
probe click bp
probe wait-text bp '停止扫码' || fail "bp did not resume"
probe wait-item CodeList 0 'QR-Code:paused 3' || fail "the last line was not listed on resume"
expect_item 1 'QR-Code:two'
feed 'QR-Code:after pause'
probe wait-item CodeList 0 'QR-Code:after pause' || fail "scanning did not go on after resume"

for stray in bar.dat data.txt; do
    [[ ! -e "$(cwd_dir)/$stray" ]] || fail "$stray was written into the current directory"
done
