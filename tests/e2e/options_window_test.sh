#!/usr/bin/env bash
# The "高级选项" window of the real Tolvira.exe under Wine: opened by its link on the settings
# panel, a top-level window of its own listing the bench's camera by its name, every caption
# readable whole in the screenshot, a bad pattern refused with the reason shown, and its "确定"
# writing its keys and starting the engine again on the camera picked. A camera chosen by a name
# no device has falls back to the first, and the list says so.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

OPTIONS_TITLE='Tolvira 高级选项'

e2e_begin
e2e_program_folder 'Opt win' 'window=never'
# shellcheck disable=SC2119 # the camera as the bench makes it
register_virtual_camera
reg_set "$SETTINGS_KEY" cameraname 'Gone Camera'
reg_set "$SETTINGS_KEY" camera 3
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
settle_window_place

visible() { [[ "$(probe control-visible "$1")" == visible ]]; }
stored_is() { [[ "$(reg_get "$SETTINGS_KEY" "$1")" == "$2" ]]; }

log "a camera name no device has: the first camera, and a line that says so"
listed() { probe items CodeList | tr -d '\r' | grep -qxF "$1"; }
wait_for 5 "the fallback line" listed '[摄像头“Gone Camera”未找到，已改用第一个摄像头]'
started_once() { [[ "$(starts_of "$PROG_DIR")" == 1 ]]; }
wait_for 15 "the engine to be started" started_once
expect_eq "the engine's camera" "$(sed -n '1s/^started [0-9]* //p' "$PROG_DIR/zbarcam.starts" | tr -d '\r')" 'args -Sqrcode.binary -Stest-inverted --escape 0'

log "the link on the settings panel opens the window"
probe click bset
wait_for 5 "the settings panel to open" visible Fset
take_shot settings
# Window pixels: the panel's place (8,32) plus the link's twips / 15.
check settings "the \"高级选项\" link on the settings panel" glyphs 16 220 73 236 200 4
probe click bopts
probe wait-window-state "$OPTIONS_TITLE" visible 10000 || fail "the options window did not show"
expect_eq "the cameras by name" "$(probe items cameraname | tr -d '\r')" 'Tolvira Virtual Camera'
expect_eq "a kind's box checked" "$(probe check-state kind.qr)" 1

# The screenshot, cut to the options window.
read -r OPT_LEFT OPT_TOP OPT_WIDTH OPT_HEIGHT <<<"$(probe window-rect "$OPTIONS_TITLE")"
shot_options() {
    import -window root "$E2E_TMP/$1.png" || fail "cannot take a screenshot"
    convert "$E2E_TMP/$1.png" -crop "${OPT_WIDTH}x${OPT_HEIGHT}+$OPT_LEFT+$OPT_TOP" +repage \
        -depth 8 "$E2E_TMP/$1.ppm" || fail "cannot cut the window out of the screenshot"
    if [[ -n "${E2E_SHOTS:-}" ]]; then
        mkdir -p "$E2E_SHOTS"
        convert "$E2E_TMP/$1.ppm" "$E2E_SHOTS/$1.png"
    fi
}
# readable SHOT NAME: the control's text shows, and ends before the control's right edge: a text
# cut off by its control runs into that edge.
readable() {
    local x y w h
    read -r x y w h <<<"$(probe control-rect "$2")" || fail "no control $2"
    check "$1" "$2 shows its text" light "$x" "$y" $((x + w - 1)) $((y + h - 1)) 150 20
    check "$1" "$2's text ends inside it" dark $((x + w - 4)) "$y" $((x + w - 1)) $((y + h - 1)) 150
}

shot_options options
for name in cameraname.caption duplicates.caption dupscope.caption kindsoff.caption \
    pattern.caption template.caption gs1.caption gs1sep.caption \
    duplicates.0 duplicates.1 duplicates.2 dupscope.0 dupscope.1 gs1.0 gs1.1 gs1.2 \
    kind.ean kind.code128 kind.code39 kind.code93 kind.itf kind.codabar kind.databar kind.qr \
    kind.sqcode kind.datamatrix optnote; do
    readable options "$name"
done
read -r x y w h <<<"$(probe control-rect pattern.caption)"
check options "\"只输入匹配的条码\" in a CJK font" glyphs "$x" "$y" $((x + w - 1)) $((y + h - 1)) 150 8
if [[ -n "${E2E_SHOTS:-}" ]]; then log "screenshots in $E2E_SHOTS"; fi

log "a bad pattern is refused with the reason, and the one in force stays"
probe set-text pattern '(' || fail "cannot type into pattern"
probe wait-text optmsg '正则表达式有误：第1个字符“(”没有对应的“)”' 5000 || fail "no reason shown"
shot_options refused
readable refused optmsg
probe set-text pattern '^T' || fail "cannot type into pattern"
probe wait-text optmsg '' 5000 || fail "the reason stayed"
probe set-text pattern '^T(' || fail "cannot type into pattern"

log "the camera picked by name, a kind switched off, and \"确定\""
probe dblclick-item cameraname 0
probe click kind.qr
unchecked() { [[ "$(probe check-state "$1")" == 0 ]]; }
wait_for 5 "QR to be switched off" unchecked kind.qr
probe click optok
probe wait-window-state "$OPTIONS_TITLE" hidden 10000 || fail "the options window did not close"
wait_for 5 "the camera's name to be written" stored_is cameraname 'Tolvira Virtual Camera'
expect_eq "pattern: the last good one" "$(reg_get "$SETTINGS_KEY" pattern)" '^T'
expect_eq "kindsoff" "$(reg_get "$SETTINGS_KEY" kindsoff)" 'qr'
expect_eq "duplicates" "$(reg_get "$SETTINGS_KEY" duplicates)" 0
expect_eq "camera: the 更多设置 panel's key, not written here" "$(reg_get "$SETTINGS_KEY" camera)" 3
