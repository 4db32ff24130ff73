#!/usr/bin/env bash
# Prints how long the screen scan's capture takes under Wine on a 1920x1080 screen (the screen's
# pixels read and written as a BMP, as on the worker), with a few windows up. A figure, not a
# test: nothing is asserted.
#   tests/e2e/measure_capture.sh [BUILD-DIR] [N]
# BUILD-DIR is a Windows build (default build/mingw); N the captures (default 50).
build=$(cd "${1:-build/mingw}" && pwd) || exit 2
runs=${2:-50}
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe TOLVIRA_ZBARIMG=$build/e2e-tools/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export E2E_SCREEN=1920x1080x24
capture_time=$build/e2e-tools/capture-time.exe
source "$(dirname "$0")/lib.sh"

[[ -f "$capture_time" ]] || fail "$capture_time is not built"
e2e_begin
"$WINE" "$capture_time" "$runs" 'C:\capture-time.bmp' || fail "capture-time.exe failed"
