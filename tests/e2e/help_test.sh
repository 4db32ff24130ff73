#!/usr/bin/env bash
# The help panel of the real Tolvira.exe under Wine, used with the mouse: "帮助" opens and closes
# it, the test pattern, the instruction and the panel's background close it, "无法识别？" shows
# the tips with the window's topmost state dropped meanwhile. The scripted camera engine reads
# the test pattern (the generated bitmap, decoded by the real decoder): "成功" shows and nothing
# is delivered. Opening the panel while bar.dat is still empty lets the code accepted last
# before count as new again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
desktop_colour 0,255,0
status_text='[正在加载图像识别模块]'
same='QR-Code:the same code'
panel_closed() { ! probe control-visible fhelp; }

log "the generated test pattern, read by the real decoder"
pattern_bmp=$(dirname "$TOLVIRA_EXE")/resources/testpattern.bmp
convert "$pattern_bmp" "$E2E_TMP/pattern.png" || fail "cannot read $pattern_bmp"
welcome=$(zbarimg --quiet "$E2E_TMP/pattern.png" 2>>"$E2E_TMP/zbarimg.log") ||
    fail "zbarimg cannot read the test pattern"
expect_eq "the test pattern's result line" "$welcome" 'QR-Code:Welcome to the Vantrel'

# Accepted last in an earlier run.
reg_set "$SETTINGS_KEY" OldBar "$same"
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-window-state Tolvira visible || fail "the window is not shown"
probe wait-item CodeList 0 "$status_text" || fail "no launch status in CodeList"
settle_window_place
wait_for 10 "a fresh, empty bar.dat" test -f "$PROG_DIR/bar.dat" -a ! -s "$PROG_DIR/bar.dat"

log "\"帮助\" opens the panel at 120,480 twips; with bar.dat empty OldBar becomes the self-test line"
probe control-visible fhelp >/dev/null && fail "the help panel is open at start"
click_control bhelp
wait_for 5 "the help panel to open" probe control-visible fhelp
expect_eq "help panel's place and size" "$(probe control-rect fhelp)" "8 32 235 220"
probe control-visible hs >/dev/null && fail "\"成功\" shows before the pattern was read"
wait_for 5 "OldBar to be the self-test line" oldbar_is '[Tolvria]:TEST'
take_shot help
check help "the panel's background" fill 8 32 242 251 41,41,41 0.5
check help "no \"成功\" strip at the panel's bottom" fill 8 232 242 248 41,41,41 1
check help "the instruction text" light 35 192 219 224 200 150
check help "\"无法识别？\" in a CJK font" glyphs 152 210 206 223 150 4
convert "$E2E_TMP/help.png" -crop "132x132+$((WIN_LEFT + 58))+$((WIN_TOP + 48))" +repage \
    -bordercolor white -border 10 "$E2E_TMP/pattern-on-screen.png" || fail "cannot cut the pattern"
expect_eq "the test pattern as shown, read by the real decoder" \
    "$(zbarimg --quiet "$E2E_TMP/pattern-on-screen.png" 2>>"$E2E_TMP/zbarimg.log")" "$welcome"
expect_eq "CodeList after opening the panel" "$(probe items CodeList)" "$status_text"
[[ ! -e "$PROG_DIR/data.txt" ]] || fail "opening the panel logged something"

log "a second click on \"帮助\" closes the panel; the code accepted last before counts as new"
click_control bhelp
wait_for 5 "the help panel to close" panel_closed
feed "$same"
probe wait-item CodeList 0 "$same" || fail "the code accepted last before was not delivered"
wait_for 5 "the code in data.txt" grep -qx 'the same code.' "$PROG_DIR/data.txt"
wait_for 5 "OldBar to be the code" oldbar_is "$same"

log "with a line in bar.dat opening the panel leaves OldBar; pattern, text and background close it"
for closer in Image1 Label3 fhelp; do
    click_control bhelp
    wait_for 5 "the help panel to open" probe control-visible fhelp
    if [[ $closer == fhelp ]]; then click_at 20 100; else click_control "$closer"; fi
    wait_for 5 "a click on $closer to close the panel" panel_closed
    log "ok: a click on $closer closed the panel"
done
oldbar_is "$same" || fail "opening the panel changed OldBar while bar.dat held a line"

log "\"无法识别？\" shows the tips above the window, which is topmost again after OK"
click_control bhelp
wait_for 5 "the help panel to open" probe control-visible fhelp
click_control help
tips=$(probe wait-dialog Tolvira 5000) || fail "no message box after a click on \"无法识别？\""
expect_eq "the tips" "$tips" \
    '如果识别模块已运行请调节摄像头焦距到最佳，并增加环境的光线。如果识别模块未运行，请点击初始化或者重新启动计算机后再试'
expect_eq "main window while the tips are open" "$(probe window-topmost Tolvira)" 'not topmost'
take_shot tips
if [[ -n "${E2E_SHOTS:-}" ]]; then cp "$E2E_TMP/tips.png" "$E2E_SHOTS/tips-screen.png"; fi
xdotool key Return
probe wait-no-dialog Tolvira 5000 || fail "Enter did not close the tips"
probe wait-window-state Tolvira topmost 5000 || fail "the window is not topmost after the tips"
log "ok: topmost again after OK"
probe control-visible fhelp >/dev/null || fail "the tips closed the help panel"

log "the engine reads the test pattern: \"成功\" shows, nothing is delivered"
before=$(probe items CodeList)
cp "$PROG_DIR/data.txt" "$E2E_TMP/data.before"
feed "$welcome"
wait_for 5 "\"成功\" to show" probe control-visible hs
wait_for 5 "OldBar to be the welcome line" oldbar_is "$welcome"
expect_eq "CodeList after the pattern was read" "$(probe items CodeList)" "$before"
cmp -s "$PROG_DIR/data.txt" "$E2E_TMP/data.before" || fail "the pattern's line was logged"
take_shot success
check success "the \"成功\" strip at the panel's bottom" fill 8 232 242 248 64,64,64 0.6
check success "\"成功\" in a CJK font" glyphs 100 232 150 248 200 2
