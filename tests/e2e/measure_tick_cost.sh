#!/usr/bin/env bash
# Prints what the platform work of one engine status tick costs under Wine (a Toolhelp process
# snapshot and the search for the engine's video window), and the same process list read through
# WMI for comparison. A figure, not a test: nothing is asserted.
#   tests/e2e/measure_tick_cost.sh [BUILD-DIR] [N]
# BUILD-DIR is a Windows build (default build/mingw); N the calls per figure (default 1000).
build=$(cd "${1:-build/mingw}" && pwd) || exit 2
calls=${2:-1000}
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
tick_cost=$build/e2e-tools/tick-cost.exe
source "$(dirname "$0")/lib.sh"

[[ -f "$tick_cost" ]] || fail "$tick_cost is not built"
e2e_begin
# An engine with its window, and a few more processes, as on a desktop where Tolvira polls.
e2e_program_folder 'tick cost' 'window_delay_ms=0'
probe run-redirected "$PROG_WIN\\bar.dat" "$PROG_WIN\\zbarcam.exe" >/dev/null ||
    fail "could not start the scripted camera"
probe wait-window ZBar || fail "the engine's video window did not appear"
log "processes under Wine: $(probe count-processes zbarcam.exe) engine, measuring $calls calls per figure"
"$WINE" "$tick_cost" "$calls" || fail "tick-cost.exe failed"
