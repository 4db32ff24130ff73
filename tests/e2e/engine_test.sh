#!/usr/bin/env bash
# The engine status monitor and the engine restart of the real Tolvira.exe under Wine, with the
# scripted camera engine: the status line on the settings panel, the load message once per
# engine, the video window hidden or shown after "显示视频窗口" and kept topmost, another
# program's window titled "ZBar" left alone, and "[初始化]" ending every engine and relaunching
# one a second later. Checks of window state are made from another process, as a user sees it.
# shellcheck disable=SC2119 # start_tolvira without arguments is a normal start
source "$(dirname "$0")/lib.sh"

NOT_RUNNING='图像识别模块未运行'
RUNNING='图像识别模块已运行'
LOADED='[图像识别模块加载成功]'
INITIALISED='[图像识别模块初始化]'

# engine_window STATE / stranger_window STATE: the "ZBar" window of the engine or of the other
# program is in STATE ("visible|hidden topmost|not-topmost") now or within a few seconds.
engine_window() {
    probe wait-owned-window-state ZBar zbarcam.exe "$1" 10000 ||
        fail "the engine's video window is not $1"
    log "ok: the engine's video window is $1"
}
stranger_window() {
    probe wait-owned-window-state ZBar probe.exe "$1" 5000 ||
        fail "the other program's window \"ZBar\" is not $1"
    log "ok: the other program's window \"ZBar\" is $1"
}

# Asked again at each poll of wait_for.
engine_starts_are() { [[ "$(starts_of "$PROG_DIR")" == "$1" ]]; }
# The probe's own answer goes into a failure's message: "disabled", or nothing when it found no
# such control.
link_enabled() { LINK_STATE=$(probe control-enabled restart 2>/dev/null | tr -d '\r'); [[ $LINK_STATE == enabled ]]; }
link_disabled() { ! link_enabled; }
times_listed() { probe items CodeList | grep -cxF -- "$1" || true; }

open_panel() {
    probe click bset
    wait_for 5 "the settings panel to open" probe control-visible Fset
}

end_tolvira() {
    probe click bend
    probe wait-processes Tolvira.exe 0 || fail "bend did not end the program"
}

e2e_begin
# Nothing typed into whatever has the focus when the crash test's line is delivered.
reg_set "$SETTINGS_KEY" c1 0

log "an engine that never starts: not running, the link enabled, its end told, nothing announced"
e2e_program_folder 'never starts' 'start=fail'
start_tolvira
open_panel
probe wait-text TCCam "$NOT_RUNNING" 10000 || fail "the status line does not say $NOT_RUNNING"
link_enabled || fail "the link is not enabled while the engine is not running (probe: '$LINK_STATE')"
probe wait-item CodeList 0 '[图像识别模块已退出]' 10000 || fail "the engine's end was not told"
expect_eq "CodeList" "$(probe items CodeList)" $'[图像识别模块已退出]\n[正在加载图像识别模块]'
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1
end_tolvira

log "loading: the engine runs without its window while another program shows one titled ZBar"
e2e_program_folder 'R&D %TEMP% x' 'window_delay_ms=5000'
"$WINE" "$TOLVIRA_PROBE" show-window ZBar >/dev/null 2>&1 &
E2E_PIDS+=($!)
stranger_window "visible not-topmost"
start_tolvira
open_panel
probe wait-text TCCam "$RUNNING" 10000 || fail "the status line does not say $RUNNING"
items=$(probe items CodeList)
# Valid only while the engine's own window has not appeared yet; on a very slow run it may have.
if probe owned-window-state ZBar zbarcam.exe >/dev/null; then
    log "skipped: the engine's window appeared before the loading state could be seen"
else
    ! grep -qxF -- "$LOADED" <<<"$items" || fail "another program's window was taken as loaded"
    log "ok: another program's window \"ZBar\" does not count as loaded"
fi
stranger_window "visible not-topmost"

log "the engine's window appears: announced once, hidden by default, topmost"
probe wait-item CodeList 0 "$LOADED" 20000 || fail "the load was not announced"
engine_window "hidden topmost"
stranger_window "visible not-topmost"
expect_eq "status line" "$(probe text TCCam)" "$RUNNING"
link_enabled || fail "the link is not enabled once the engine has loaded"
expect_eq "load messages" "$(times_listed "$LOADED")" 1

log "\"显示视频窗口\" shows and hides the engine's window at once, and only that one"
probe click Check3
engine_window "visible topmost"
stranger_window "visible not-topmost"
probe click Check3
engine_window "hidden topmost"
probe click Check3
engine_window "visible topmost"
stranger_window "visible not-topmost"

log "opening the panel again places the window once more, without a second announcement"
probe hide-owned-window ZBar zbarcam.exe || fail "cannot hide the engine's window"
engine_window "hidden not-topmost"
open_panel
engine_window "visible topmost"
expect_eq "load messages" "$(times_listed "$LOADED")" 1

log "\"[初始化]\" ends every camera engine and relaunches one a second later"
other_dir=$WINEPREFIX/drive_c/other
mkdir -p "$other_dir"
cp "$TOLVIRA_ZBARCAM" "$other_dir/ZBARCAM.EXE"
printf 'window=never\n' >"$other_dir/zbarcam.script"
probe run-redirected 'C:\other\out.dat' 'C:\other\ZBARCAM.EXE' >/dev/null ||
    fail "could not start a second engine"
probe wait-processes zbarcam.exe 2 || fail "two engines are not running"
# It records its start a moment after its process appears; ended before that, it never would.
wait_for 10 "the second engine's start record" test -s "$other_dir/zbarcam.starts"
clicked=$EPOCHREALTIME
probe click restart
wait_for 5 "the link to be disabled" link_disabled
wait_for 10 "the relaunch" engine_starts_are 2
relaunched=$EPOCHREALTIME
probe wait-processes zbarcam.exe 1 || fail "the old engines were not all ended"
probe wait-item CodeList 0 "$INITIALISED" || fail "the relaunch was not listed"
log "measured: relaunch recorded $(awk -v a="$clicked" -v b="$relaunched" 'BEGIN { printf "%.2f", b - a }') s after the click was sent"
expect_eq "load messages before the new engine's window" "$(times_listed "$LOADED")" 1
link_disabled || fail "the link was enabled again while the new engine is loading"
probe wait-item CodeList 0 "$LOADED" 20000 || fail "the new engine's load was not announced"
expect_item 1 "$INITIALISED"
expect_item 2 "$LOADED"
expect_eq "load messages" "$(times_listed "$LOADED")" 2
engine_window "visible topmost"
stranger_window "visible not-topmost"
link_enabled || fail "the link is not enabled once the new engine has loaded"
expect_eq "starts of the second engine" "$(starts_of "$other_dir")" 1
expect_eq "programs started from the folder name split at &" "$(starts_of "$(cwd_dir)")" 0

log "an engine that exits after polling stopped: the status line keeps its text until the panel is opened"
feed 'QR-Code:last words' '@crash'
probe wait-processes zbarcam.exe 0 || fail "the engine did not crash"
expect_eq "status line" "$(probe text TCCam)" "$RUNNING"
open_panel
probe wait-text TCCam "$NOT_RUNNING" 10000 || fail "the status line does not say $NOT_RUNNING"
link_enabled || fail "the link is not enabled while the engine is not running (probe: '$LINK_STATE')"

log "\"[初始化]\" with an engine that never starts: relaunched all the same, not running, its error line listed"
printf 'start=fail\nerror=ERROR: zbar processor: out of cheese\n' >"$PROG_DIR/zbarcam.script"
probe click restart
wait_for 10 "the relaunch" engine_starts_are 3
probe wait-item CodeList 1 "$INITIALISED" 10000 || fail "the relaunch was not listed"
probe wait-item CodeList 0 '[图像识别模块已退出：ERROR: zbar processor: out of cheese]' 10000 ||
    fail "the engine's error line was not listed: $(probe items CodeList | tr '\n' '|')"
wait_for 10 "the link to be enabled by the next status tick" link_enabled
expect_eq "status line" "$(probe text TCCam)" "$NOT_RUNNING"
expect_eq "load messages" "$(times_listed "$LOADED")" 2
stranger_window "visible not-topmost"
end_tolvira
