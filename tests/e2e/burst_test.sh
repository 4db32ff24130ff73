#!/usr/bin/env bash
# Codes written in a burst by the real engine's way of writing (one redirected handle) reach the
# window that holds the focus each once and in order, and are listed and logged so: ten lines in
# one write, then ten writes 5 ms apart. The poll is woken by the folder's change notification
# as well as by its timer, so runs come at any moment in a burst, even mid-write.
source "$(dirname "$0")/lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
keylog=$E2E_TMP/keys.log
# Enter after each code marks where one ends in the target.
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False

# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
wait_for 10 "a fresh, empty bar.dat" test -f "$PROG_DIR/bar.dat" -a ! -s "$PROG_DIR/bar.dat"
start_target_edit "$keylog"

codes=()
in_one_write=''
for i in $(seq -w 1 10); do
    codes+=("one write $i")
    in_one_write+="QR-Code:one write $i\\x0d\\x0a"
done
log "ten lines in one write"
feed "@part $in_one_write"
apart=()
for i in $(seq -w 1 10); do
    codes+=("5 ms apart $i")
    apart+=("QR-Code:5 ms apart $i" '@sleep 5')
done
log "ten writes 5 ms apart"
feed "${apart[@]}"
# A code left over or repeated would arrive before this one.
codes+=(last)
feed 'QR-Code:last'

entered() { [[ "$(grep -c ' keydown d ' "$keylog")" -ge "$1" ]]; }
wait_for 30 "${#codes[@]} codes in the target" entered "${#codes[@]}"
expect_eq "the target's text" "$(target_text)" "$(printf '%s\n' "${codes[@]}")"
expect_eq "Enter keys" "$(grep -c ' keydown d ' "$keylog")" "${#codes[@]}"
probe wait-item CodeList 0 'QR-Code:last' || fail "the last code was not listed on top"
expect_eq "CodeList" "$(probe items CodeList)" \
    "$(for ((i = ${#codes[@]} - 1; i >= 0; i--)); do printf 'QR-Code:%s\n' "${codes[$i]}"; done
    printf '%s' '[正在加载图像识别模块]')"
wait_for 5 "the last code in data.txt" grep -qx 'last.' "$PROG_DIR/data.txt"
cmp "$PROG_DIR/data.txt" <(printf '%s\r\n' "${codes[@]}") >&2 ||
    fail "data.txt differs: $(od -c "$PROG_DIR/data.txt" | head -n 20)"
log "ok: data.txt holds each code once, in order"
expect_eq "OldBar" "$(reg_get "$SETTINGS_KEY" OldBar)" 'QR-Code:last'
