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
expect_eq "the engine's arguments" "$(sed -n 's/^started [0-9]* //p' "$PROG_DIR/zbarcam.starts" | tr -d '\r')" 'args -Sqrcode.binary -Stest-inverted -q 2'
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
