#!/usr/bin/env bash
# The scan-control options of the real Tolvira.exe under Wine, stored in the registry before the
# start: the camera and beep choices as the engine's arguments, the same code taken again after
# the re-scan interval, prefix and suffix around the code before the Enter, paced keys while the
# window still answers, codes held back while the user holds Ctrl (a key held through X), and
# history.csv as a spreadsheet reads it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/option_lib.sh"

e2e_begin
e2e_program_folder 'Opt dir' 'window=never'

log "rescan 1, prefix and suffix, Enter, a 50 ms key pace, camera 2, no beep"
reg_set "$SETTINGS_KEY" rescan 1
reg_set "$SETTINGS_KEY" prefix '<'
reg_set "$SETTINGS_KEY" suffix '>'
reg_set "$SETTINGS_KEY" keydelay 50
reg_set "$SETTINGS_KEY" camera 2
reg_set "$SETTINGS_KEY" beep 0
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
keys1=$E2E_TMP/keys1.log
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
wait_for 10 "the engine's start record" test -s "$PROG_DIR/zbarcam.starts"
expect_eq "the engine's arguments" "$(sed -n 's/^started [0-9]* //p' "$PROG_DIR/zbarcam.starts" | tr -d '\r')" 'args -Sqrcode.binary -Stest-inverted --escape -q 2'
start_target_edit "$keys1"

scan same
expect_target '<same>'
sleep 2
scan same
expect_target $'<same>\n<same>'
lines=$(char_key_times "$keys1" | wc -l)
expect_eq "character messages of two codes" "$lines" 12

log "keys of one code come at least 45 ms apart, and the window answers while they are typed"
paced=paced-code-of-sixty-characters-typed-one-key-press-at-a-time
scan "$paced"
probe text wt >/dev/null || fail "the window did not answer while typing"
typed_when_answered=$(char_key_times "$keys1" | wc -l)
((typed_when_answered < 12 + 62)) || fail "the code was typed before the window could answer"
log "ok: the window answered with $((typed_when_answered - 12)) of 62 characters typed"
expect_target $'<same>\n<same>\n'"<$paced>"
# The input times of the code's Unicode key presses (VK_PACKET), when the system took them in.
awk '$2 == "keydown" && $3 == "e7" { print $5 }' "$keys1" | tail -n 62 |
    awk 'NR > 1 { gap = $1 - prev; if (gap < 45) { print "gap " gap " ms"; bad = 1 }
                  if (min == "" || gap < min) min = gap }
         { prev = $1 } END { printf "smallest gap %d ms\n", min; exit bad }' >"$E2E_TMP/gaps" ||
    fail "keys too close: $(head -n 3 "$E2E_TMP/gaps")"
log "ok: $(tail -n 1 "$E2E_TMP/gaps")"

log "a held Ctrl holds the codes back; listed and logged at once, typed in order once it is up"
xdotool keydown ctrl
sleep 0.3
before=$(wc -l <"$keys1")
scan 'held1'
scan 'held2'
grep -q '^held2' "$PROG_DIR/data.txt" || fail "held2 was not logged at once"
sleep 1
expect_eq "keys sent while Ctrl was held" "$(awk -v n="$before" 'NR > n && $2 == "char"' "$keys1" | wc -l)" 0
xdotool keyup ctrl
expect_target $'<same>\n<same>\n'"<$paced>"$'\n<held1>\n<held2>'
awk -v n="$before" 'NR > n && $2 == "char" && $4 != "-" { print; bad = 1 } END { exit bad }' "$keys1" \
    >"$E2E_TMP/chords" || fail "a key arrived with a modifier: $(head -n 2 "$E2E_TMP/chords")"

log "history.csv: one record per accepted code, Chinese intact, read by Python's csv module"
scan '中文,"引号"'
expect_target $'<same>\n<same>\n'"<$paced>"$'\n<held1>\n<held2>\n<中文,"引号">'
python3 - "$PROG_DIR/history.csv" "$paced" >"$E2E_TMP/history.out" <<'PY' || fail "history.csv: $(cat "$E2E_TMP/history.out")"
import csv, re, sys
raw = open(sys.argv[1], "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
assert raw.count(b"\xef\xbb\xbf") == 1, "more than one byte-order mark"
assert raw.endswith(b"\r\n") and raw.count(b"\n") == raw.count(b"\r\n"), "not CR LF"
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig", newline="")))
codes = [r[3] for r in rows]
expected = ["same", "same", sys.argv[2], "held1", "held2", '中文,"引号"']
assert codes == expected, codes
for r in rows:
    assert len(r) == 4, r
    assert re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}", r[0]), r
    assert r[1:3] == ["camera", "QR-Code"], r
print(len(rows), "records")
PY
log "ok: history.csv holds $(cat "$E2E_TMP/history.out")"

log "a formula goes to history.csv behind an apostrophe"
scan '=1+1'
expect_target $'<same>\n<same>\n'"<$paced>"$'\n<held1>\n<held2>\n<中文,"引号">\n<=1+1>'
expect_eq "the last record's code" "$(tail -n 1 "$PROG_DIR/history.csv" | tr -d '\r' | cut -d, -f4)" "'=1+1"
typed_so_far=$'<same>\n<same>\n'"<$paced>"$'\n<held1>\n<held2>\n<中文,"引号">\n<=1+1>'

log "another window in front mid-code gets nothing; the target gets the rest and the Enter when back"
other_keys=$E2E_TMP/other.log
start_target_edit "$other_keys" --title tolvira-e2e-other
probe activate "$TARGET_TITLE" 10000 || fail "the target could not be brought back to the front"
code30=thirty-characters-for-a-switch
chars_now() { char_key_times "$keys1" | wc -l; }
base=$(chars_now)
scan "$code30"
some_typed() { (($(chars_now) >= base + 2)); }
wait_for 10 "the first keys of the code" some_typed
# Through the window manager: starting a probe under Wine can take longer than the code.
xdotool search --name '^tolvira-e2e-other$' windowactivate ||
    fail "the other window could not be brought to the front"
probe wait-foreground tolvira-e2e-other 10000 || fail "the other window did not come to the front"
probe wait-text wt "目标窗口不在前台，暂缓输入 1个" 10000 || fail "the title does not show the held-back code"
log "ok: the title shows the held-back code"
held_at=$(chars_now)
((held_at < base + 32)) || fail "the whole code was typed before the switch"
# The queue looks at the window in front every 50 ms: a second look shows nothing went anywhere.
sleep 0.5
expect_eq "keys typed while the other window was in front" "$(chars_now)" "$held_at"
expect_eq "keys the other window got" "$(awk '$2 == "char"' "$other_keys" | wc -l)" 0
probe activate "$TARGET_TITLE" 10000 || fail "the target could not be brought back to the front"
wait_for 30 "the target to get the rest of the code and its Enter" target_is "$typed_so_far"$'\n'"<$code30>"
log "ok: the target got the whole code"
title_back() { [[ "$(probe text wt)" == Tolvira* ]]; }
wait_for 5 "the title to be back" title_back
log "ok: the title is back"
typed_so_far+=$'\n'"<$code30>"

log "停止扫码 mid-code stops the keys within one key"
base=$(chars_now)
scan "stopped-code-of-forty-characters-long-xx"
wait_for 10 "the first keys of the code" some_typed
probe click bp
probe wait-text bp "开始扫码" 5000 || fail "the scan did not stop"
stopped_at=$(chars_now)
sleep 0.5
after=$(chars_now)
((after - stopped_at <= 1)) || fail "$((after - stopped_at)) keys after 停止扫码"
((after < base + 42)) || fail "the whole code was typed"
log "ok: $((after - stopped_at)) key after 停止扫码, $((after - base)) of 42 typed"
