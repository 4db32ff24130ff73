#!/usr/bin/env bash
# The double-click on the title of the real Tolvira.exe under Wine reveals delist whatever came
# before it: a quick click on the title or the body (released before the window manager could
# have taken the pointer for a move), a click of another button, the help panel's tips, drags.
# None of these may leave a move behind that eats the next click, and a click moves nothing.
# Mouse input is X-level (xdotool), as a user's.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'

# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-window-state Tolvira visible || fail "the window is not shown"
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
settle_window_place

help_closed() { ! probe control-visible fhelp; }
revealed() { probe items delist | grep -c '测试模式启动' || true; }
place=$(probe window-rect Tolvira)

# double_click_reveals WHAT: a double-click on the title adds one more line to delist and leaves
# the window where it is.
double_click_reveals() {
    local before
    before=$(revealed)
    sleep 0.6 # not a double-click with whatever click came before
    double_click_at 200 12
    wait_for 5 "the double-click after $1 to reveal delist" \
        test "$(revealed)" -gt "$before"
    probe control-visible delist >/dev/null || fail "delist is not shown after $1"
    expect_eq "window place after $1 and a double-click" "$(probe window-rect Tolvira)" "$place"
}

# quick_click X Y [BUTTON]: a press and release with nothing in between.
quick_click() {
    mouse_to "$1" "$2"
    xdotool mousedown "${3:-1}" mouseup "${3:-1}"
}

double_click_reveals "a fresh start"

for button in 1 2 3; do
    quick_click 100 12 "$button"
    double_click_reveals "a quick click of button $button on the title"
    quick_click 125 30 "$button"
    double_click_reveals "a quick click of button $button on the body"
done

log "the help panel's tips, then a click that closes the panel"
click_control bhelp
wait_for 5 "the help panel to open" probe control-visible fhelp
click_control help
probe wait-dialog Tolvira 5000 >/dev/null || fail "no tips after a click on \"无法识别？\""
xdotool key Return
probe wait-no-dialog Tolvira 5000 || fail "Enter did not close the tips"
click_control Label3
wait_for 5 "the help panel to close" help_closed
double_click_reveals "the help panel's tips"

log "drags on the title and the body"
read -r left top _ _ <<<"$place"
drag_from 40 12 -30 25
wait_for 5 "the window to follow a drag on the title" window_at $((left - 30)) $((top + 25))
drag_from 125 30 30 -25
wait_for 5 "the window to follow a drag on the body" window_at "$left" "$top"
double_click_reveals "two drags"
