#!/bin/sh
# Runs one Windows test program under Wine in a throwaway prefix and returns its exit code.
# When Xvfb is installed the program gets a private X server with a window manager, so tests
# that make windows, use the clipboard or type keys run without touching anyone's session.
# Usage: run-under-wine.sh WINE PROGRAM [ARGUMENTS...]
set -eu
wine=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvira-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
xvfb_pid=
openbox_pid=
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

unset DISPLAY
if command -v Xvfb >/dev/null 2>&1; then
    # -noreset: a reset when the last client leaves would drop anyone connecting meanwhile.
    Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    tries=0
    while [ ! -s "$work/display" ] && [ "$tries" -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ -s "$work/display" ]; then
        DISPLAY=":$(cat "$work/display")"
        export DISPLAY
        if command -v openbox >/dev/null 2>&1; then
            openbox --sm-disable >/dev/null 2>&1 &
            openbox_pid=$!
        fi
    fi
fi

"$wine" wineboot -i >/dev/null 2>&1
status=0
"$wine" "$@" || status=$?
exit "$status"
