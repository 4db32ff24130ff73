#!/usr/bin/env bash
# The settings panel of the real Tolvira.exe under Wine: the stored options loaded into the real
# controls at start, the panel opened by "设置", delivery following the controls at once, "确定"
# writing all seven keys that the next start loads back, a load stopped by a value it can't
# convert, and the Run value under HKLM written and deleted by "开机时启动程序" for a program
# folder with blanks. The engine opens no video window, so only scans enter CodeList.
# shellcheck disable=SC2119 # start_tolvira without arguments is a normal start
source "$(dirname "$0")/lib.sh"

RUN_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'

# expect_controls NAME=STATE...: the check state of each real control.
expect_controls() {
    local pair
    for pair in "$@"; do
        expect_eq "${pair%%=*}" "$(probe check-state "${pair%%=*}")" "${pair#*=}"
    done
}

# expect_stored KEY=TEXT...: the settings store holds each text.
expect_stored() {
    local pair
    for pair in "$@"; do
        expect_eq "stored ${pair%%=*}" "$(reg_get "$SETTINGS_KEY" "${pair%%=*}")" "${pair#*=}"
    done
}

run_value() { probe reg-get "$RUN_KEY" Tolvira; }
run_value_is() { [[ "$(run_value)" == "$1" ]]; }
no_run_value() { ! run_value >/dev/null; }

# scan TEXT: one code through the engine, waited for at the top of CodeList.
scan() {
    feed "QR-Code:$1"
    probe wait-item CodeList 0 "QR-Code:$1" || fail "the scan \"$1\" was not listed"
}

delist_count() { probe items delist | grep -c . || true; }

end_tolvira() {
    probe click bend
    probe wait-processes Tolvira.exe 0 || fail "bend did not end the program"
}

# Each poll asks again, so these go to wait_for as functions.
state_is() { [[ "$(probe check-state "$1")" == "$2" ]]; }
stored_is() { [[ "$(reg_get "$SETTINGS_KEY" "$1")" == "$2" ]]; }

panel_open() { probe control-visible Fset >/dev/null; }
panel_closed() { ! panel_open; }

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
expected_run="\"$PROG_WIN\\Tolvira.exe\" RUN"

log "stored options load into the real controls"
reg_set "$SETTINGS_KEY" c1 0
reg_set "$SETTINGS_KEY" c2 ' 1 '
reg_set "$SETTINGS_KEY" c3 1
# Never read: the box mirrors the Run value, and there is none.
reg_set "$SETTINGS_KEY" c4 1
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 TRUE
reg_set "$SETTINGS_KEY" o2 true
reg_set "$SETTINGS_KEY" OldBar 'QR-Code:earlier'
start_tolvira
expect_controls Check1=0 Check2=1 Check3=1 Check4=0 o0=0 o1=0 o2=1
no_run_value || fail "loading the settings wrote a Run value"

log "\"设置\" opens the panel over the list"
expect_eq "Fset before opening" "$(probe control-visible Fset)" hidden
probe click bset
wait_for 5 "the settings panel to open" panel_open
expect_eq "Fset position" "$(probe control-rect Fset | cut -d' ' -f1-2)" "8 32"
expect_eq "CodeList under the panel" "$(probe control-rect CodeList | cut -d' ' -f1-2)" "8 40"
if [[ -n "${E2E_SCREENSHOT:-}" ]]; then
    import -window root "$E2E_SCREENSHOT" && log "screenshot of the open panel: $E2E_SCREENSHOT"
fi

log "delivery follows the controls at once, before any \"确定\""
# Check1 off: listed and copied, nothing typed (typing leaves its marks in delist).
scan 'one'
expect_eq "delist entries with typing off" "$(delist_count)" 0
expect_eq "clipboard with copying on" "$(probe clipboard)" one
probe click Check1
probe click o0
# Clicks are handled in order, so once the last shows, the earlier ones have been handled.
wait_for 5 "o0 to be selected" state_is o0 1
expect_controls Check1=1 o1=0 o2=0
scan 'two'
expect_eq "delist with typing on, no suffix" "$(probe items delist)" $'自动输入模式1>OK\n自动输入>OK'
expect_eq "clipboard" "$(probe clipboard)" two
probe click Check2
wait_for 5 "Check2 to be cleared" state_is Check2 0
probe click Check1
wait_for 5 "Check1 to be cleared" state_is Check1 0
scan 'three'
expect_eq "clipboard with copying off" "$(probe clipboard)" two
expect_eq "delist entries with typing off again" "$(delist_count)" 2

log "\"开机时启动程序\" writes and deletes the Run value at the click"
probe click Check4
wait_for 5 "the Run value" run_value_is "$expected_run"
log "ok: Run value = $(run_value)"
probe click Check4
wait_for 5 "the Run value to be deleted" no_run_value
expect_eq "Check4" "$(probe check-state Check4)" 0
probe click Check4
wait_for 5 "the Run value again" run_value_is "$expected_run"

log "\"确定\" closes the panel and writes all seven keys"
probe click Check1
probe click Check3
probe click o1
wait_for 5 "o1 to be selected" state_is o1 1
expect_controls Check1=1 Check2=0 Check3=0 Check4=1 o0=0 o2=0
probe click setok
wait_for 5 "the panel to close" panel_closed
wait_for 5 "the keys to be written" stored_is o2 False
expect_stored c1=1 c2=0 c3=0 c4=1 o0=False o1=True o2=False OldBar='QR-Code:three'

log "the next start shows the same state, Check4 from the Run value"
end_tolvira
start_tolvira
expect_controls Check1=1 Check2=0 Check3=0 Check4=1 o0=0 o1=1 o2=0

log "\"确定\" with no change still writes every key, OldBar untouched"
"$WINE" reg delete "$SETTINGS_KEY" /v c2 /f >/dev/null 2>&1 || fail "cannot delete c2"
probe click bset
wait_for 5 "the settings panel to open" panel_open
probe click setok
wait_for 5 "c2 to be written again" stored_is c2 0
expect_stored c1=1 c3=0 c4=1 o0=False o1=True o2=False OldBar='QR-Code:three'
end_tolvira

log "a c2 that is not a number stops the load there; the program starts all the same"
reg_set "$SETTINGS_KEY" c1 0
reg_set "$SETTINGS_KEY" c2 abc
reg_set "$SETTINGS_KEY" c3 1
start_tolvira
probe wait-window-state Tolvira visible || fail "the window is not shown"
expect_controls Check1=0 Check2=0 Check3=0 Check4=0 o0=1 o1=0 o2=0
run_value_is "$expected_run" || fail "the stopped load touched the Run value: $(run_value)"
scan 'after a stopped load'
end_tolvira

log "unchecking \"开机时启动程序\" deletes the Run value; the next start shows it unchecked"
reg_set "$SETTINGS_KEY" c2 0
start_tolvira
expect_controls Check4=1
probe click bset
wait_for 5 "the settings panel to open" panel_open
probe click Check4
wait_for 5 "the Run value to be deleted" no_run_value
end_tolvira
log "...and a number stored as REG_DWORD is no text: the load stops at o1"
"$WINE" reg add "$SETTINGS_KEY" /v o1 /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "cannot set o1"
reg_set "$SETTINGS_KEY" o2 True
start_tolvira
expect_controls Check1=0 Check2=0 Check3=1 Check4=0 o0=0 o1=0 o2=0
end_tolvira
