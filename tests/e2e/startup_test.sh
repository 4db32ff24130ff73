#!/usr/bin/env bash
# Start-up and exit of the real Tolvira.exe under Wine: the window, the single instance, the
# hidden start with "RUN", the tray icon, the one camera engine, and an exit that leaves the
# engine running. The program folder holds blanks, "&" and "%", as users' folders may.
source "$(dirname "$0")/lib.sh"

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window_delay_ms=200'
# "显示视频窗口" on, so that hiding the video window on exit shows.
reg_set "$SETTINGS_KEY" c3 1

log "first start: window, title, style, tray icon, engine"
start_tolvira
probe wait-window-state Tolvira visible || fail "the window is not shown"
probe wait-text wt 'Tolvira 2.8' || fail "the title label does not show Tolvira 2.8"
probe wait-window-state Tolvira topmost || fail "the window is not topmost"
exstyle=$(probe window-exstyle Tolvira)
((exstyle & 0x80000)) || fail "the window is not layered (extended style $exstyle)"
expect_eq "window size" "$(probe window-size Tolvira)" 250x285
wait_for 10 "the tray icon" tray_has_icon
probe wait-processes zbarcam.exe 1 || fail "the camera engine was not started"
probe wait-window ZBar || fail "the engine's video window did not appear"
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1
[[ -f "$PROG_DIR/bar.dat" ]] || fail "bar.dat is not in the program folder"
expect_eq "programs started from the folder name split at &" "$(starts_of "$(cwd_dir)")" 0

log "second start ends at once and leaves the first as it was"
run_tolvira_to_end 20
expect_eq "Tolvira processes" "$(probe count-processes Tolvira.exe)" 1
probe window-visible Tolvira >/dev/null || fail "the first instance's window was hidden"
wait_for 2 "the tray icon to stay" tray_has_icon

log "a close request only hides the window"
probe close Tolvira
probe wait-window-state Tolvira hidden || fail "a close request did not hide the window"
expect_eq "Tolvira processes" "$(probe count-processes Tolvira.exe)" 1
wait_for 2 "the tray icon to stay on a close request" tray_has_icon

log "bend ends the program and leaves the engine running, its window hidden"
probe wait-window-state ZBar visible || fail "the video window was not shown"
probe click bend
probe wait-processes Tolvira.exe 0 || fail "bend did not end the program"
wait_for 10 "the tray icon to go" tray_has_no_icon
expect_eq "camera engines" "$(probe count-processes zbarcam.exe)" 1
probe wait-window-state ZBar hidden 5000 || fail "the video window was not hidden on exit"

log "\"RUN\" starts hidden and keeps the running engine"
start_tolvira RUN
wait_for 10 "the tray icon" tray_has_icon
expect_eq "window" "$(probe window-visible Tolvira)" hidden
# The running engine's window is found by the first status tick, whose load message may already
# lie on top of the launch status.
launch_listed() { probe items CodeList | grep -qxF '[正在加载图像识别模块]'; }
wait_for 20 "the engine launch step" launch_listed
expect_eq "camera engines" "$(probe count-processes zbarcam.exe)" 1
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1
# Fed before the load is announced, the code could be listed under the announcement.
load_listed() { probe items CodeList | grep -qxF '[图像识别模块加载成功]'; }
wait_for 20 "the running engine's load to be announced" load_listed
feed 'QR-Code:still read'
probe wait-item CodeList 0 'QR-Code:still read' || fail "the running engine's output was not read"
probe click bend
probe wait-processes Tolvira.exe 0 || fail "bend did not end the hidden program"

log "\"run\" in lower case starts shown"
start_tolvira run
probe wait-window-state Tolvira visible || fail "\"run\" did not start shown"
probe click bend
probe wait-processes Tolvira.exe 0 || fail "bend did not end the program"

expect_eq "camera engines at the end" "$(probe count-processes zbarcam.exe)" 1
for stray in bar.dat data.txt; do
    [[ ! -e "$(cwd_dir)/$stray" ]] || fail "$stray was written into the current directory"
done
