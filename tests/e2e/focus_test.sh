#!/usr/bin/env bash
# The keyboard focus stays where the user put it while the real Tolvira.exe places windows under
# Wine: a start with "RUN" (as at log-on) leaves the program in front there, whether the engine's
# video window ends up hidden or shown; and with the settings panel open, the monitor's tick,
# which places the video window again, neither takes the focus from the panel nor eats a click
# held on one of its check boxes. Mouse input is X-level (xdotool), as a user's.
export E2E_FOCUS_NEW=no
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

e2e_begin
e2e_program_folder 'focus'
start_target_edit "$E2E_TMP/keys.log"

# start_behind_target SHOWN: "RUN" while the target is in front; it must stay there from the start
# until 6 s after the engine's video window appears (two monitor ticks), the window placed by then.
start_behind_target() {
    probe activate "$TARGET_TITLE" 10000 || fail "the target could not get the focus"
    start_tolvira RUN
    probe wait-window ZBar 30000 || fail "the engine's video window did not appear"
    probe keep-foreground "$TARGET_TITLE" 6000 || fail "the target lost the focus (video window $1)"
    log "ok: the target kept the focus for 6 s after the video window appeared"
    probe wait-owned-window-state ZBar zbarcam.exe "$1 topmost" 1000 ||
        fail "the video window is not $1 and topmost"
    log "ok: the video window is $1 and topmost"
}

end_tolvira_and_engine() {
    probe click bend
    probe wait-processes Tolvira.exe 0 || fail "bend did not end the program"
    probe kill-processes zbarcam.exe
    probe wait-no-window ZBar 10000 || fail "the engine's video window stayed"
}

log "\"RUN\" with \"显示视频窗口\" off"
start_behind_target hidden
end_tolvira_and_engine

log "\"RUN\" with \"显示视频窗口\" on"
reg_set "$SETTINGS_KEY" c3 1
start_behind_target visible
end_tolvira_and_engine

log "the settings panel keeps the focus and the clicks while the monitor ticks"
reg_set "$SETTINGS_KEY" c3 0
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
probe wait-owned-window-state ZBar zbarcam.exe "hidden topmost" 30000 ||
    fail "the monitor did not take the video window in hand"
settle_window_place
before=$(probe check-state Check2)
click_control bset
opened=$EPOCHREALTIME
probe wait-foreground Tolvira 1000 || fail "the click on \"设置\" did not bring the window in front"
# Sampled until 4 s after the panel was opened, beside the click below.
left_ms=$(awk -v now="$EPOCHREALTIME" -v t0="$opened" 'BEGIN { printf "%d", 4000 - (now - t0) * 1000 }')
probe keep-foreground Tolvira "$left_ms" 2>"$E2E_TMP/keep.err" &
keeper=$!
wait_for 5 "the settings panel to open" probe control-visible Fset
read -r x y w h <<<"$(probe control-rect Check2)"
mouse_to $((x + 8)) $((y + h / 2))
# sleep_until SECONDS: until that long after the panel was opened.
sleep_until() {
    sleep "$(awk -v now="$EPOCHREALTIME" -v t="$opened" -v at="$1" \
        'BEGIN { w = t + at - now; printf "%.3f", (w > 0 ? w : 0) }')"
}
sleep_until 1.8
xdotool mousedown 1
sleep_until 2.6
xdotool mouseup 1
wait "$keeper" || fail "the window lost the focus with the panel open: $(cat "$E2E_TMP/keep.err")"
log "ok: the window kept the focus for 4 s after the panel was opened"
state_changed() { [[ "$(probe check-state Check2)" != "$before" ]]; }
wait_for 5 "the click held across the monitor's tick to change Check2" state_changed
log "ok: Check2 went from $before to $(probe check-state Check2)"
