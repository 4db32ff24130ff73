# shellcheck shell=bash
# Screenshots and X-level mouse input on the main window: sourced after lib.sh by the scripts
# that look at the window or handle it as a user does. Window coordinates are pixels from the
# window's top-left corner. Set E2E_SHOTS to a folder to keep the screenshots.

# desktop_colour R,G,B: the colour of the X root window, which shows wherever no window is drawn.
# Debian's python3-xlib lives in the system's own Python.
desktop_colour() {
    local r g b
    IFS=, read -r r g b <<<"$1"
    /usr/bin/python3 - "$r" "$g" "$b" <<'PY' || fail "cannot set the desktop's colour"
import sys
from Xlib import display
d = display.Display()
screen = d.screen()
red, green, blue = (int(v) * 257 for v in sys.argv[1:4])
pixel = screen.default_colormap.alloc_color(red, green, blue).pixel
screen.root.change_attributes(background_pixel=pixel)
screen.root.clear_area(0, 0, 0, 0)
d.sync()
PY
    import -window root "$E2E_TMP/desktop.png" || fail "cannot take a screenshot"
    [[ "$(convert "$E2E_TMP/desktop.png" -crop 1x1+0+0 -depth 8 txt:- | grep -o '([0-9,]*)')" == \
        "($1)" ]] || fail "the desktop did not take the colour $1"
}

window_origin() {
    local rect
    rect=$(probe window-rect Tolvira) || fail "no main window"
    read -r WIN_LEFT WIN_TOP _ _ <<<"$rect"
}

# window_at LEFT TOP: the main window's top-left corner is there.
window_at() {
    local rect
    rect=$(probe window-rect Tolvira) && [[ "${rect% * *}" == "$1 $2" ]]
}

# x_window_origin: the main window's place as the X server has it (what a screenshot shows),
# when Wine's idea of it is the same. Just after a window is mapped the two may differ briefly.
x_window_origin() {
    local id geometry
    window_origin
    for id in $(xdotool search --onlyvisible --name '^Tolvira$'); do
        geometry=$(xdotool getwindowgeometry --shell "$id") || continue
        local X Y WIDTH HEIGHT
        eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$' <<<"$geometry")"
        [[ "$WIDTH $HEIGHT" == "250 285" && "$X $Y" == "$WIN_LEFT $WIN_TOP" ]] && return 0
    done
    return 1
}

# settle_window_place: at a start, Wine and the window manager now and then disagree about where
# the main window is, and every X-level click misses it. A window-manager move to the place the X
# server has it puts them in step; then Wine must report that place too.
settle_window_place() {
    local id X Y
    wait_for 10 "the main window on the X screen" xdotool search --onlyvisible --name '^Tolvira$'
    id=$(xdotool search --onlyvisible --name '^Tolvira$' | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y)=[0-9]+$')"
    xdotool windowmove "$id" "$X" "$Y"
    wait_for 5 "Wine to see the main window where the X server has it" x_window_origin
}

# take_shot NAME: the screen now, and the main window cut out of it as $E2E_TMP/NAME.ppm (one
# row more than the window, so that what lies below it shows too).
take_shot() {
    wait_for 5 "the main window's place on the screen" x_window_origin
    x_window_origin
    import -window root "$E2E_TMP/$1.png" || fail "cannot take a screenshot"
    convert "$E2E_TMP/$1.png" -crop "250x286+$WIN_LEFT+$WIN_TOP" +repage -depth 8 \
        "$E2E_TMP/$1.ppm" || fail "cannot cut the window out of the screenshot"
    if [[ -n "${E2E_SHOTS:-}" ]]; then
        mkdir -p "$E2E_SHOTS"
        convert "$E2E_TMP/$1.ppm" "$E2E_SHOTS/$1.png"
    fi
}

# check SHOT WHAT CHECK ARGS...: a check of tests/e2e/pixels.py on the window in SHOT.
check() {
    local shot=$1 what=$2
    shift 2
    local said
    said=$(python3 "$(dirname "${BASH_SOURCE[0]}")/pixels.py" "$E2E_TMP/$shot.ppm" "$@") ||
        fail "$what: $(tr '\n' ';' <<<"$said")"
    log "ok: $what"
}

# The mouse, at a point of the window.
mouse_to() {
    window_origin
    xdotool mousemove $((WIN_LEFT + $1)) $((WIN_TOP + $2))
}

# drag_from X Y DX DY: press the left button at X,Y, move by DX,DY in steps, release.
drag_from() {
    local x=$1 y=$2 dx=$3 dy=$4 steps=8 i
    mouse_to "$x" "$y"
    xdotool mousedown 1
    sleep 0.1
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove $((WIN_LEFT + x + dx * i / steps)) $((WIN_TOP + y + dy * i / steps))
        sleep 0.03
    done
    sleep 0.1
    xdotool mouseup 1
}

# double_click_at X Y: two presses of about 80 ms each, as a hand makes them.
double_click_at() {
    mouse_to "$1" "$2"
    xdotool mousedown 1 sleep 0.08 mouseup 1 sleep 0.08 mousedown 1 sleep 0.08 mouseup 1
}

# click_at X Y [BUTTON]: a single click, so never within the double-click time (500 ms) of the
# one before it: a second click on a label within that time counts as a double-click instead.
LAST_CLICK=0
click_at() {
    local wait
    wait=$(awk -v now="$EPOCHREALTIME" -v last="$LAST_CLICK" \
        'BEGIN { w = last + 0.6 - now; printf "%.3f", (w > 0 ? w : 0) }')
    sleep "$wait"
    mouse_to "$1" "$2"
    xdotool mousedown "${3:-1}" sleep 0.05 mouseup "${3:-1}"
    LAST_CLICK=$EPOCHREALTIME
}

# click_control NAME: a real click in the middle of a control.
click_control() {
    local rect x y w h
    rect=$(probe control-rect "$1") || fail "no control $1"
    read -r x y w h <<<"$rect"
    click_at $((x + w / 2)) $((y + h / 2))
}

# tray_click BUTTON: a click on the tray icon.
tray_click() {
    local tray
    wait_for 10 "the tray icon" tray_has_icon
    tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' | head -n1)
    xdotool mousemove --window "$tray" 10 10 click "$1"
}
