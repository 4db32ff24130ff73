#!/usr/bin/env bash
# Code delivery of the real Tolvira.exe under Wine: codes typed into another program's window that
# holds the focus (TargetEdit.exe), exactly as written and with no key chord, followed by the
# chosen suffix; the clipboard; the list; data.txt byte for byte, also while another program
# locks it; the list's double-click copy.
source "$(dirname "$0")/lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
status_text='[正在加载图像识别模块]'
keylog=$E2E_TMP/keys.log
expected_text=$E2E_TMP/expected-text
expected_log=$E2E_TMP/expected-data.txt
: >"$expected_text"
: >"$expected_log"

# Enter after each code, clipboard on.
reg_set "$SETTINGS_KEY" c2 1
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False

# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-item CodeList 0 "$status_text" || fail "no launch status in CodeList"
start_target_edit "$keylog"

# deliver FEED TYPED SUFFIX: the engine writes "QR-Code:" FEED (ScriptedCamera's notation, \xHH a
# raw byte); the whole line must top CodeList, its code text be on the clipboard, TYPED followed
# by SUFFIX (a literal tab or LF) be typed, and the code's bytes be logged. Text that is not
# UTF-8 is read in the ANSI code page, 1252 under this bench's locale.
deliver() {
    local feed_text=$1 typed=$2 suffix=$3
    local line code
    line=$(printf '%b' "QR-Code:$feed_text" | iconv -f UTF-8 -t UTF-8 2>/dev/null) ||
        line=$(printf '%b' "QR-Code:$feed_text" | iconv -f CP1252 -t UTF-8)
    code=${line#*:}
    feed "QR-Code:$feed_text"
    probe wait-item CodeList 0 "$line" || fail "\"$line\" was not listed on top"
    expect_eq "clipboard after $line" "$(probe clipboard)" "$code"
    printf '%s%s' "$typed" "$suffix" >>"$expected_text"
    printf '%b\r\n' "$feed_text" >>"$expected_log"
}

# The target holds exactly what was typed so far (line ends as LF; probe adds one at the end).
target_holds_expected() { cmp -s <(target_text) <(cat "$expected_text" && echo); }

expect_target_text() {
    wait_for 10 "the target to hold the typed codes" target_holds_expected
    log "ok: the target holds the $(wc -c <"$expected_text") bytes typed"
}

o2_selected() { [[ "$(probe check-state o2)" == 1 ]]; }

log "key notation, CJK, accents, an emoji, further colons, control characters: typed literally, Enter after each"
deliver '%{F4}' '%{F4}' $'\n'
deliver '^a' '^a' $'\n'
deliver '{ENTER}' '{ENTER}' $'\n'
deliver '^{ESC}cmd{ENTER}+(abc)~' '^{ESC}cmd{ENTER}+(abc)~' $'\n'
deliver '中文' '中文' $'\n'
deliver 'é' 'é' $'\n'
deliver '😀' '😀' $'\n'
deliver 'http://x.y:8080/a:b' 'http://x.y:8080/a:b' $'\n'
deliver 'a\x07b\x1bc\x08d\x7fe\xc2\x85f' 'abcdef' $'\n'
deliver 'caf\xe9' 'café' $'\n'
expect_target_text
if command -v xclip >/dev/null; then
    expect_eq "X clipboard" "$(timeout 5 xclip -selection clipboard -o)" 'café'
fi

log "Tab chosen on the settings panel: Tab after each code"
probe click o2
wait_for 5 "o2 to be selected" o2_selected
expect_eq "o1 after choosing Tab" "$(probe check-state o1)" 0
# A click on the panel focuses Tolvira, as a user's would; the user goes back to the target.
probe activate "$TARGET_TITLE" 10000 || fail "the target could not get the focus back"
deliver 'tab:1' 'tab:1' $'\t'
deliver '中文 x' '中文 x' $'\t'
expect_target_text
probe wait-foreground "$TARGET_TITLE" 0 || fail "delivery took the focus from the target"

log "no key but the literal text and the suffix reached the target"
# Key log lines: <microseconds> <message> <code in hex> <modifiers>. VK_PACKET (e7) carries the
# typed text; C0, DEL and C1 characters must not arrive, except the suffix's CR or tab.
awk '$2 ~ /^(sys|dead)/ { print "chord message: " $0; bad = 1 }
     $2 == "keydown" && $3 != "e7" && $3 != "d" && $3 != "9" { print "key: " $0; bad = 1 }
     $4 != "-" { print "modifier held: " $0; bad = 1 }
     $2 == "char" && $3 ~ /^([0-9a-f]|[01][0-9a-f]|7f|[89][0-9a-f])$/ && $3 != "9" && $3 != "d" {
         print "control character: " $0; bad = 1 }
     END { exit bad }' "$keylog" >"$E2E_TMP/chords" || fail "$(head -n 5 "$E2E_TMP/chords")"
expect_eq "Enter keys" "$(grep -c ' keydown d ' "$keylog")" 10
expect_eq "Tab keys" "$(grep -c ' keydown 9 ' "$keylog")" 2
probe wait-window "$TARGET_TITLE" 0 || fail "the target window was closed"

log "data.txt holds every code's bytes as the engine wrote them"
cmp "$PROG_DIR/data.txt" "$expected_log" >&2 || fail "data.txt differs: $(od -c "$PROG_DIR/data.txt" | head -n 20)"
log "ok: data.txt is $(wc -c <"$expected_log") bytes as expected"

log "while another program locks data.txt, records wait in order and none is lost"
"$WINE" "$TOLVIRA_PROBE" lock-file "$PROG_WIN\\data.txt" 4000 >"$E2E_TMP/lock.out" 2>&1 &
lock_pid=$!
E2E_PIDS+=("$lock_pid")
wait_for 10 "data.txt to be locked" grep -q locked "$E2E_TMP/lock.out"
deliver 'locked 1' 'locked 1' $'\t'
deliver 'locked 2' 'locked 2' $'\t'
deliver 'locked 3' 'locked 3' $'\t'
if kill -0 "$lock_pid" 2>/dev/null; then
    [[ "$(wc -c <"$PROG_DIR/data.txt")" -lt "$(wc -c <"$expected_log")" ]] ||
        fail "data.txt was written while it was locked"
    log "ok: nothing written while locked"
fi
wait "$lock_pid" || fail "the lock holder failed: $(cat "$E2E_TMP/lock.out")"
wait_for 5 "the waiting records to be written" cmp -s "$PROG_DIR/data.txt" "$expected_log"
log "ok: after the lock all records are in data.txt, in order"
expect_target_text

log "double-click on a list entry copies its code text; on a status entry it leaves the clipboard alone"
mapfile -t entries < <(probe items CodeList)
index_of() {
    local i
    for i in "${!entries[@]}"; do
        [[ "${entries[$i]}" == "$1" ]] && echo "$i" && return
    done
    fail "\"$1\" is not listed"
}
probe set-clipboard 'before' || fail "cannot set the clipboard"
probe dblclick-item-now CodeList "$(index_of 'QR-Code:http://x.y:8080/a:b')" || fail "double-click"
expect_eq "clipboard after a double-click" "$(probe clipboard)" 'http://x.y:8080/a:b'
probe dblclick-item-now CodeList "$(index_of 'QR-Code:😀')" || fail "double-click"
expect_eq "clipboard after a double-click" "$(probe clipboard)" '😀'
probe dblclick-item-now CodeList "$(index_of "$status_text")" || fail "double-click"
expect_eq "clipboard after a double-click on a status entry" "$(probe clipboard)" '😀'
expect_eq "CodeList after the double-clicks" "$(probe items CodeList)" \
    "$(printf '%s\n' "${entries[@]}")"
