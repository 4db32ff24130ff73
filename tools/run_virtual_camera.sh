#!/usr/bin/env bash
# Runs one zbarcam.exe alone under Wine, on a bench of its own, on the bench's virtual camera
# (tests/camera/VirtualCamera.cpp) playing the given script lines, for SECONDS; then prints what
# the engine wrote and how it ended ("still running" when the time was up). The camera's folder
# holds two QR codes to show: a.png ("A") and b.png ("B"). A tool to look at the engine by hand,
# not a test:
#
#     tools/run_virtual_camera.sh ZBARCAM_EXE SECONDS [SCRIPT-LINE...]
#
# For example, frames of a wrong size, then good ones, on an engine built without the patch that
# drops such frames, and on the one built here:
#
#     ZBAR_SKIP_PATCHES=102 bash tools/build_zbar.sh /tmp/zbar-without-102
#     lines=(formats=YUY2 'sizes=1280x720 640x480 1920x1080' 'short a.png 2000' 'long a.png 2000'
#            'show b.png 60000')
#     tools/run_virtual_camera.sh /tmp/zbar-without-102/zbarcam.exe 12 "${lines[@]}"
#     tools/run_virtual_camera.sh build/mingw/zbar/zbarcam.exe 12 "${lines[@]}"
#
# The Windows build's test tools come from TOLVIRA_BUILD (default build/mingw).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
engine=$(realpath "${1:?usage: tools/run_virtual_camera.sh ZBARCAM_EXE SECONDS [SCRIPT-LINE...]}")
seconds=${2:?seconds}
# (not shifted: the bench's deadline runs this script again with the same arguments)
lines=("${@:3}")
build=$(cd "${TOLVIRA_BUILD:-$root/build/mingw}" && pwd)
export TOLVIRA_ZBARCAM=$engine TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe TOLVIRA_VIRTUAL_CAMERA=$build/e2e-tools/VirtualCamera.dll
export E2E_DEADLINE_SECONDS=$((seconds + 120))
source "$root/tests/e2e/lib.sh"

e2e_begin
e2e_program_folder engine
register_virtual_camera log=camera.log "${lines[@]}"
qrencode -s 6 -m 4 -o "$CAMERA_DIR/a.png" A
qrencode -s 6 -m 4 -o "$CAMERA_DIR/b.png" B
status=0
(cd "$PROG_DIR" && exec timeout "$seconds" "$WINE" ./zbarcam.exe -Sqrcode.binary -Stest-inverted) \
    >"$E2E_TMP/out.txt" 2>"$E2E_TMP/err.txt" || status=$?
printf 'standard output:\n'
sed 's/\r$//; s/^/    /' "$E2E_TMP/out.txt"
printf 'standard error:\n'
sed 's/\r$//; s/^/    /' "$E2E_TMP/err.txt" | grep -v 'dbus\|Connection' || true
printf 'the camera:\n'
sed 's/\r$//; s/^/    /' "$CAMERA_DIR/camera.log" 2>/dev/null || true
if ((status == 124)); then
    printf 'the engine was still running after %s s\n' "$seconds"
else
    printf 'the engine ended with exit code %s\n' "$status"
fi
