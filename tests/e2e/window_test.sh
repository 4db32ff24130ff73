#!/usr/bin/env bash
# The main window of the real Tolvira.exe under Wine, as a user sees and handles it: the skin on
# a screenshot (corners and the strip below it cut away by the colour key, the controls in their
# places, the Chinese captions in a CJK font), the tray icon bringing a hidden window back, the
# drag on the body and on the title, and the double-click on the title that reveals delist.
# Mouse input is X-level (xdotool): Wine's move loop follows only that.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
desktop_colour 0,255,0

# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-window-state Tolvira visible || fail "the window is not shown"
probe wait-text wt 'Tolvira 2.8' || fail "the title label does not show Tolvira 2.8"
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
settle_window_place

log "screenshot: the skin with its corners cut, the controls in place"
take_shot shown
check shown "the 24 corner pixels show the desktop, their neighbours are drawn" corners 0,255,0
check shown "the strip below the skin shows the desktop, the skin's last row is drawn" \
    row 284 0,255,0
check shown "title bar drawn" grey 125 2
check shown "body drawn under the title" grey 125 30
check shown "CodeList fills its rectangle" fill 8 40 242 245 20,20,20 0.9
check shown "CodeList's top-left corner" fill 8 40 9 41 20,20,20 1
check shown "CodeList's bottom-right corner" fill 241 244 242 245 20,20,20 1
check shown "skin left of CodeList" grey 7 100
check shown "skin right of CodeList" grey 243 100
check shown "skin above CodeList" grey 125 39
check shown "skin below CodeList" grey 125 246
check shown "the title text in the title bar" light 60 4 189 21 200 40
check shown "the launch status line at the top of CodeList" light 8 40 242 56 150 40
check shown "\"停止扫码\" in a CJK font" glyphs 16 260 72 276 120 4
check shown "\"设置\" in a CJK font" glyphs 152 260 175 279 100 2
check shown "\"帮助\" in a CJK font" glyphs 184 260 207 279 100 2
check shown "\"退出\" in a CJK font" glyphs 216 260 239 279 100 2
check shown "\"屏幕扫码\" in a CJK font, between \"停止扫码\" and \"设置\"" glyphs 96 260 143 279 100 4
check shown "nothing drawn between \"停止扫码\" and \"屏幕扫码\"" dark 74 258 94 280 100
check shown "nothing drawn between \"屏幕扫码\" and \"设置\"" dark 145 258 151 280 100

log "tray icon: a right click does nothing, a left click brings the hidden window back"
read -r left top _ _ <<<"$(probe window-rect Tolvira)"
probe close Tolvira
probe wait-window-state Tolvira hidden || fail "a close request did not hide the window"
tray_click 3
# The tray's callback message is WM_MOUSEMOVE: a real move at x = 514 must not pass for a click.
probe send-message Tolvira 0x200 0 514 || fail "cannot send a mouse move"
sleep 1 # nothing may happen; a restore shows well within this time
expect_eq "window after a right click on the tray icon and a mouse move" \
    "$(probe window-visible Tolvira)" hidden
tray_click 1
probe wait-window-state Tolvira visible || fail "a left click on the tray icon did not show it"
probe wait-foreground Tolvira 5000 || fail "the window came back but is not active"
probe wait-window-state Tolvira topmost || fail "the window came back but is not topmost"
expect_eq "window place after coming back" "$(probe window-rect Tolvira)" "$left $top 250 285"

log "drag: a press-and-move on the body or on the title moves the window"
drag_from 125 30 60 40
wait_for 5 "the window to follow a drag on the body" window_at $((left + 60)) $((top + 40))
log "ok: moved by a drag on the body"
drag_from 40 12 -30 25
wait_for 5 "the window to follow a drag on the title" window_at $((left + 30)) $((top + 65))
log "ok: moved by a drag on the title"
read -r left top _ _ <<<"$(probe window-rect Tolvira)"

log "double-click on the title reveals delist"
probe control-visible delist >/dev/null && fail "delist is visible before the double-click"
double_click_at 200 12
probe wait-item delist 0 '测试模式启动' 5000 || fail "the double-click did not append the line"
probe control-visible delist >/dev/null || fail "the double-click did not show delist"
expect_eq "window place after the double-click" "$(probe window-rect Tolvira)" "$left $top 250 285"
take_shot delist
check delist "delist's line over the bottom of CodeList" light 8 232 242 245 150 40

log "a press-and-move on a bottom label does not move the window"
drag_from 163 268 50 -40
wait_for 5 "the press on bset to open the settings panel" probe control-visible Fset
sleep 0.5 # a move would show by now: the drags above moved the window within this time
expect_eq "window place after a press-and-move on bset" "$(probe window-rect Tolvira)" \
    "$left $top 250 285"
take_shot settings
check settings "the settings panel's background" fill 8 32 242 251 41,41,41 0.5
