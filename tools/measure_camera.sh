#!/usr/bin/env bash
# Measures ZBar's zbarcam.exe built here, under Wine, on the bench's virtual camera
# (tests/camera/VirtualCamera.cpp). A measurement, not a test: it prints two tables. Run by hand
# after a Windows build:
#
#     tools/measure_camera.sh [BUILD_DIR] [CODES]      (defaults: build/mingw, 60)
#
# ZBARCAM_SWITCHES="-Sdatamatrix.disable" measures the frame rate with the engine's DataMatrix
# pass off.
#
# 1. Frames decoded per second at 640x480, 1280x720 and 1920x1080 (YUY2, as most webcams send
#    it): the camera sends 60 frames a second holding a QR code, more than the engine takes, and
#    the engine runs alone (its window shown) with its debug output on; each "processing:" line
#    of it is one frame handed to the decoder, stamped as it arrives. The first 3 s (start-up)
#    are left out.
# 2. From the frame that first shows a code to the first key of it in the target window, through
#    Tolvira (camera 0, each code followed by Enter), at 640x480 and 1280x720: CODES codes each,
#    every one shown for 1 s after 0.6 s of blank frames. The camera notes when it hands over the
#    first frame of each picture and TargetEdit.exe when each key arrives, both on
#    QueryPerformanceCounter's clock, one clock for every process under Wine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/mingw}" && pwd)
codes=${2:-60}
export TOLVIRA_EXE=$build/Tolvira.exe
export TOLVIRA_ZBARCAM=$build/zbar/zbarcam.exe TOLVIRA_REAL_ZBARCAM=$build/zbar/zbarcam.exe
export TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export TOLVIRA_VIRTUAL_CAMERA=$build/e2e-tools/VirtualCamera.dll
export E2E_DEADLINE_SECONDS=$((300 + codes * 2 * 3))
for f in "$TOLVIRA_EXE" "$TOLVIRA_ZBARCAM" "$TOLVIRA_PROBE" "$TOLVIRA_VIRTUAL_CAMERA"; do
    [[ -f "$f" ]] || { echo "missing $f: build the Windows targets first" >&2; exit 2; }
done
source "$root/tests/e2e/lib.sh"

e2e_begin
e2e_program_folder measure 'window=never'
use_real_camera_engine
# shellcheck disable=SC2119 # the script given later
register_virtual_camera
qrencode -s 6 -m 4 -o "$CAMERA_DIR/steady.png" "https://example.com/camera-rate-measure"

# rate SIZE: frames per second the engine decoded, over 10 s after the first 3.
rate() {
    local stamps=$E2E_TMP/stamps-$1
    camera_script log=camera.log formats=YUY2 "sizes=$1" fps=60 "show steady.png 3600000"
    (cd "$PROG_DIR" && exec timeout -s KILL 16 "$WINE" ./zbarcam.exe --verbose=16 ${ZBARCAM_SWITCHES:-} 2>&1 >/dev/null) |
        while IFS= read -r line; do
            [[ $line == *"processing:"* ]] && printf '%s\n' "$EPOCHREALTIME"
        done >"$stamps" || true
    awk 'NR == 1 { t0 = $1 } $1 - t0 >= 3 && $1 - t0 < 13 { n++ } END { printf "%.1f", n / 10 }' "$stamps"
}

log "frames decoded per second"
declare -A fps
for size in 640x480 1280x720 1920x1080; do
    fps[$size]=$(rate "$size")
    log "$size: ${fps[$size]} frames/s"
done

# Latency through Tolvira.
keylog=$E2E_TMP/keys.log
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False
reg_set "$SETTINGS_KEY" c3 0
reg_set "$SETTINGS_KEY" camera 0
start_target_edit "$keylog"
for ((i = 1; i <= codes; i++)); do
    qrencode -s 6 -m 4 -o "$CAMERA_DIR/code-$i.png" "$(printf 'C%04d-camera-latency' "$i")"
done

# latency SIZE: Tolvira and its engine on the camera at SIZE; writes "first-frame-us first-key-us"
# per code into $E2E_TMP/pairs-SIZE. (Run in this shell: it starts Tolvira once.)
latency() {
    local size=$1 script=(log=camera.log formats=YUY2 "sizes=$1" fps=30 "wait go-$1") i
    for ((i = 1; i <= codes; i++)); do script+=("blank 600" "show code-$i.png 1000"); done
    camera_script "${script[@]}"
    rm -f "$CAMERA_DIR/camera.log"
    : >"$keylog"
    if [[ -z "$TOLVIRA_PID" ]]; then
        # shellcheck disable=SC2119 # a normal start
        start_tolvira
        probe click bset
        wait_for 5 "the settings panel to open" probe control-visible Fset
    else
        wait_for 10 "the link to be enabled" probe control-enabled restart
        probe click restart
        probe wait-item CodeList 0 '[图像识别模块初始化]' 10000 || fail "the relaunch was not listed"
    fi
    probe wait-item CodeList 0 '[图像识别模块加载成功]' 30000 || fail "the engine did not load"
    probe activate "$TARGET_TITLE" 10000 || fail "the target did not get the focus"
    touch "$CAMERA_DIR/go-$size"
    wait_for $((codes * 2 + 30)) "the last code to be typed" \
        sh -c "grep -c ' keydown d ' '$keylog' | grep -qx '$codes'"
    python3 - "$CAMERA_DIR/camera.log" "$keylog" "$codes" "$E2E_TMP/pairs-$size" <<'EOF'
import sys
shown = [int(l.split()[0]) for l in open(sys.argv[1]) if " show " in l]
first, in_code = [], False
for line in open(sys.argv[2]):
    t, message, code = line.split()[:3]
    if message != "keydown":
        continue
    if not in_code:
        first.append(int(t))
        in_code = True
    if code == "d":
        in_code = False
if len(shown) != len(first) or len(first) != int(sys.argv[3]):
    sys.exit(f"{len(shown)} codes shown, {len(first)} arrived")
with open(sys.argv[4], "w") as out:
    for s, f in zip(shown, first):
        print(s, f, file=out)
EOF
}

for size in 640x480 1280x720; do
    log "latency at $size: $codes codes"
    latency "$size"
done

python3 - "${fps[640x480]}" "${fps[1280x720]}" "${fps[1920x1080]}" "$E2E_TMP/pairs-640x480" "$E2E_TMP/pairs-1280x720" <<'EOF'
import math, statistics, sys

def pct(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, max(0, math.ceil(p / 100 * len(values)) - 1))]

print()
print("zbarcam.exe under Wine on the virtual camera (YUY2, camera at 60 frames/s)")
print(f"  {'size':10} {'frames decoded/s':>16}")
for size, rate in zip(("640x480", "1280x720", "1920x1080"), sys.argv[1:4]):
    print(f"  {size:10} {rate:>16}")
print()
print("First frame showing a code to its first key in the target, ms")
print(f"  {'size':10} {'codes':>5} {'median':>8} {'p99':>8} {'worst':>8}")
for size, path in zip(("640x480", "1280x720"), sys.argv[4:6]):
    d = [(int(f) - int(s)) / 1000 for s, f in (l.split() for l in open(path))]
    print(f"  {size:10} {len(d):5} {statistics.median(d):8.1f} {pct(d, 99):8.1f} {max(d):8.1f}")
EOF
