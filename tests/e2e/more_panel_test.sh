#!/usr/bin/env bash
# The "更多设置" panel of the real Tolvira.exe under Wine: the link drawn on the settings panel,
# the second panel in its place with every control readable in the screenshot, the stored
# values shown, a change written by its "确定", and the way back to the settings panel.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

e2e_begin
e2e_program_folder 'Opt dir' 'window=never'
reg_set "$SETTINGS_KEY" rescan 5
reg_set "$SETTINGS_KEY" typemode 1
reg_set "$SETTINGS_KEY" prefix '前'
reg_set "$SETTINGS_KEY" beep 0
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
settle_window_place

visible() { [[ "$(probe control-visible "$1")" == visible ]]; }
hidden() { [[ "$(probe control-visible "$1")" == hidden ]]; }
stored_is() { [[ "$(reg_get "$SETTINGS_KEY" "$1")" == "$2" ]]; }

log "the link on the settings panel"
probe click bset
wait_for 5 "the settings panel to open" visible Fset
take_shot settings
check settings "\"更多设置\" in a CJK font" glyphs 184 220 232 236 200 4

log "the second panel in the same place, the first hidden"
probe click more
wait_for 5 "the more panel to open" visible Fmore
wait_for 5 "the settings panel to close" hidden Fset
expect_eq "Fmore's place and size" "$(probe control-rect Fmore)" "$(probe control-rect Fset)"
expect_eq "rescan shown" "$(probe text trescan)" 5
expect_eq "keydelay shown" "$(probe text tkeydelay)" 0
expect_eq "prefix shown" "$(probe text tprefix)" '前'
expect_eq "typing by layout keys chosen" "$(probe check-state m1)" 1
expect_eq "beep shown off" "$(probe check-state Check5)" 0
expect_eq "history shown on" "$(probe check-state Check6)" 1
expect_eq "the screen-scan key shown" "$(probe text thotkey)" 'Ctrl+Shift+F10'

take_shot more
check more "the panel's colour around its controls" fill 8 32 242 251 41,41,41 0.45
# Window pixels of a control: the panel's place (8,32) plus the control's twips / 15.
for edit in "trescan 128 40 184 56" "tkeydelay 128 58 184 74" "tprefix 128 94 232 110" \
    "tsuffix 128 112 232 128" "tcamera 128 130 184 146" "thotkey 128 148 232 164"; do
    read -r name x0 y0 x1 y1 <<<"$edit"
    check more "$name's box" fill "$x0" "$y0" "$x1" "$y1" 64,64,64 0.6
done
check more "\"输入方式\" in a CJK font" glyphs 16 77 72 93 150 4
check more "\"按键\" beside its button" glyphs 155 77 184 93 150 2
check more "\"粘贴\" beside its button" glyphs 202 77 231 93 150 2
check more "\"前缀\" in a CJK font" glyphs 16 95 48 111 150 2
check more "\"后缀\" in a CJK font" glyphs 16 113 48 129 150 2
check more "\"摄像头\" in a CJK font" glyphs 16 131 60 147 150 3
check more "\"屏幕扫码热键\" in a CJK font" glyphs 16 149 88 165 150 6
check more "the re-scan caption" light 16 41 120 57 150 60
check more "the key-pace caption" light 16 59 120 75 150 60
check more "the \"Unicode\" choice" light 88 77 140 93 150 30
check more "the beep check box's caption" light 30 166 120 182 150 40
check more "the history check box's caption" light 30 184 200 200 150 60
check more "the note on camera and beep" light 16 202 242 218 150 100
check more "the 确定 button" light 80 224 176 246 150 20
if [[ -n "${E2E_SHOTS:-}" ]]; then log "screenshots in $E2E_SHOTS"; fi

log "a change applies at once and \"确定\" writes all nine keys, then the settings panel is back"
probe set-text tkeydelay 20 || fail "cannot type into tkeydelay"
probe set-text tsuffix '-后' || fail "cannot type into tsuffix"
probe click m2
chosen() { [[ "$(probe check-state "$1")" == 1 ]]; }
wait_for 5 "paste to be chosen" chosen m2
probe click moreok
wait_for 5 "the more panel to close" hidden Fmore
wait_for 5 "the settings panel to be back" visible Fset
wait_for 5 "keydelay to be written" stored_is keydelay 20
expect_eq "rescan" "$(reg_get "$SETTINGS_KEY" rescan)" 5
expect_eq "typemode" "$(reg_get "$SETTINGS_KEY" typemode)" 2
expect_eq "prefix" "$(reg_get "$SETTINGS_KEY" prefix)" '前'
expect_eq "suffix" "$(reg_get "$SETTINGS_KEY" suffix)" '-后'
expect_eq "camera" "$(reg_get "$SETTINGS_KEY" camera)" ''
expect_eq "beep" "$(reg_get "$SETTINGS_KEY" beep)" 0
expect_eq "history" "$(reg_get "$SETTINGS_KEY" history)" 1
expect_eq "hotkey" "$(reg_get "$SETTINGS_KEY" hotkey)" 'Ctrl+Shift+F10'

log "a scan while an edit box of the panel has the focus is not typed into it"
probe click more
wait_for 5 "the more panel to open" visible Fmore
probe focus tprefix 10000 || fail "tprefix could not be given the focus"
feed 'QR-Code:99'
probe wait-item CodeList 0 'QR-Code:99' || fail "the code was not listed"
# Typed, its keys would have come 20 ms apart right after the listing.
sleep 0.5
expect_eq "prefix shown" "$(probe text tprefix)" '前'
expect_eq "keydelay shown" "$(probe text tkeydelay)" 20
expect_eq "prefix stored" "$(reg_get "$SETTINGS_KEY" prefix)" '前'

log "camera 2 and \"确定\" restart the engine with the argument 2"
probe set-text tcamera 2 || fail "cannot type into tcamera"
probe click moreok
wait_for 5 "the more panel to close" hidden Fmore
relaunched() { [[ "$(starts_of "$PROG_DIR")" == 2 ]]; }
wait_for 15 "the engine to be started again" relaunched
expect_eq "the relaunched engine's arguments" "$(sed -n '2s/^started [0-9]* //p' "$PROG_DIR/zbarcam.starts" | tr -d '\r')" 'args -Sqrcode.binary -Stest-inverted --escape -q 2'
