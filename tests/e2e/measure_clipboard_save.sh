#!/usr/bin/env bash
# Prints how long saving the user's clipboard before a paste holds the window's thread under
# Wine, for items of several sizes and for data that its program renders only when asked and
# slowly. A figure, not a test: nothing is asserted.
#   tests/e2e/measure_clipboard_save.sh [BUILD-DIR] [N]
# BUILD-DIR is a Windows build (default build/mingw); N the saves per size (default 20).
build=$(cd "${1:-build/mingw}" && pwd) || exit 2
saves=${2:-20}
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
save_cost=$build/e2e-tools/clipboard-save-cost.exe
source "$(dirname "$0")/lib.sh"

[[ -f "$save_cost" ]] || fail "$save_cost is not built"
e2e_begin
"$WINE" "$save_cost" "$saves" || fail "clipboard-save-cost.exe failed"
