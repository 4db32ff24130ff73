#!/usr/bin/env bash
# Tolvira's main job, shown: installs what it needs, builds the Windows programs and runs
# Tolvira.exe under Wine with the zbarcam.exe it ships, reading the bench's virtual camera
# (tests/camera/VirtualCamera.cpp, a DirectShow video source registered in the demo's Wine prefix)
# that shows five pictures one after another: the help panel's test pattern, an EAN-13, a Code 128,
# a QR code with a URL and a QR code with Chinese text. Notepad holds the focus, so the codes are
# typed into it, each followed by Enter.
#
# With a reachable display the windows stay there to try (drop a picture on the list, open the
# panels) until Notepad is closed or Ctrl+C is pressed. Without one (or with --headless) it runs
# on an X server of its own, writes a screenshot and prints what was typed, listed and logged.
#
#   bash tools/demo.sh [--headless] [--out DIR] [--check] [--prebuilt]
#
# --out DIR   pictures and screenshot (default build/demo)
# --check     fail unless every code was typed, listed and logged (the test's form)
# --prebuilt  no set-up and no build: the programs come from TOLVIRA_EXE, TOLVIRA_ZBARCAM (ZBar's
#             zbarcam.exe built here), TOLVIRA_ZBARIMG, TOLVIRA_VIRTUAL_CAMERA, TOLVIRA_PROBE and
#             TOLVIRA_TEST_PATTERN
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
headless=0 check=0 prebuilt=0 out=$root/build/demo
while (($#)); do
    case $1 in
        --headless) headless=1 ;;
        --check) check=1 ;;
        --prebuilt) prebuilt=1 ;;
        --out)
            out=$2
            shift
            ;;
        *)
            echo "usage: bash tools/demo.sh [--headless] [--out DIR] [--check] [--prebuilt]" >&2
            exit 2
            ;;
    esac
    shift
done

if ((!prebuilt)); then
    bash "$root/tools/setup.sh"
    build=${TOLVIRA_DEMO_BUILD:-$root/build/mingw}
    (cd "$root" && cmake --preset mingw -B "$build" >/dev/null)
    # Only what the demo runs; the test programs of the preset are not needed here.
    cmake --build "$build" -j "$(nproc)" \
        --target Tolvira tolvira_virtual_camera zbar_tools tolvira_probe
    export TOLVIRA_EXE=$build/Tolvira.exe TOLVIRA_ZBARCAM=$build/zbar/zbarcam.exe \
        TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe TOLVIRA_PROBE=$build/e2e-tools/probe.exe \
        TOLVIRA_VIRTUAL_CAMERA=$build/e2e-tools/VirtualCamera.dll \
        TOLVIRA_TEST_PATTERN=$build/resources/testpattern.bmp
fi
: "${TOLVIRA_TEST_PATTERN:?path of the generated testpattern.bmp}"
export TOLVIRA_REAL_ZBARCAM=$TOLVIRA_ZBARCAM

on_display=0
if ((!headless)) && [[ -n "${DISPLAY:-}" ]] && xprop -root >/dev/null 2>&1; then
    on_display=1
    export E2E_DISPLAY=$DISPLAY E2E_UNDER_DEADLINE=1
else
    # The bench's deadline runs this script again: with the programs just built.
    set -- --headless --prebuilt --out "$out"
    ((check)) && set -- "$@" --check
    export E2E_DEADLINE_SECONDS=${E2E_DEADLINE_SECONDS:-180}
fi
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

# What the pictures hold. EAN-13 gets its check digit (7) from zint.
ean13=590123412345
code128='TLV-2024/DEMO-128'
url='https://example.com/search?q=100%25&lang=zh-CN&ref=tolvira'
chinese='扫码演示：你好，世界！'
expected_lines=("EAN-13:${ean13}7" "CODE-128:$code128" "QR-Code:$url" "QR-Code:$chinese")
notepad='Untitled - Notepad'

make_pictures() {
    local dir=$out/pictures
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$TOLVIRA_TEST_PATTERN" "$dir/1-test-pattern.bmp"
    zint -b EANX -d "$ean13" --scale 2 --filetype=BMP -o "$dir/2-ean13.bmp" >/dev/null
    zint -b CODE128 -d "$code128" --scale 2 --filetype=BMP -o "$dir/3-code128.bmp" >/dev/null
    qrencode -s 6 -m 4 -o "$dir/url.png" "$url"
    qrencode -s 6 -m 4 -o "$dir/chinese.png" "$chinese"
    convert "$dir/url.png" "BMP3:$dir/4-qr-url.bmp"
    convert "$dir/chinese.png" "BMP3:$dir/5-qr-chinese.bmp"
    rm "$dir/url.png" "$dir/chinese.png"
}

# The program folder with ZBar's zbarcam.exe, and the virtual camera with the pictures it shows,
# in order, once the file "go" beside it exists: each for 1.5 s, with blank frames between them.
lay_out_demo() {
    e2e_program_folder 'Program Files/Tolvira'
    rm -f "$PROG_DIR/zbarcam.script" "$PROG_DIR/zbarcam.feed"
    use_real_camera_engine
    local script=(log=camera.log formats=YUY2 "sizes=640x480 1280x720 1920x1080" fps=15 "wait go") picture
    # shellcheck disable=SC2119 # the script given later
    register_virtual_camera
    cp "$out"/pictures/*.bmp "$CAMERA_DIR/"
    for picture in "$CAMERA_DIR"/*.bmp; do
        script+=("show ${picture##*/} 1500" "blank 700")
    done
    camera_script "${script[@]}"
}

reg_dword() {
    "$WINE" reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || fail "cannot set $1\\$2"
}

# Each code followed by Enter; the camera's video window shown. Notepad to the right of Tolvira's
# window, in a font with Chinese glyphs, wrapping long lines.
configure() {
    reg_set "$SETTINGS_KEY" o0 False
    reg_set "$SETTINGS_KEY" o1 True
    reg_set "$SETTINGS_KEY" c3 1
    local key='HKCU\Software\Microsoft\Notepad'
    reg_dword "$key" iWindowPosX 446
    reg_dword "$key" iWindowPosY 40
    reg_dword "$key" iWindowPosDX 780
    reg_dword "$key" iWindowPosDY 400
    reg_dword "$key" iPointSize 140
    reg_dword "$key" fWrap 1
    reg_set "$key" lfFaceName 'WenQuanYi Micro Hei'
}

notepad_is_active() {
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$(xdotool search --name "^$notepad\$" | head -n1)" ]]
}

# poll SECONDS COMMAND...: like wait_for, but only answers.
poll() {
    local until=$(($(date +%s) + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        (($(date +%s) < until)) || return 1
        sleep 0.1
    done
}

typed() { probe child-text "$notepad" Edit; }
typed_all() { [[ "$(typed)" == "$(printf '%s\n' "${expected_lines[@]#*:}")" ]]; }

show_results() {
    printf '\nTyped into Notepad:\n'
    typed | sed '${/^$/d}; s/^/    /'
    printf 'Listed in CodeList (newest first):\n'
    probe items CodeList | sed 's/^/    /'
    printf 'Logged in data.txt:\n'
    sed 's/\r$//; s/^/    /' "$PROG_DIR/data.txt" 2>/dev/null || printf '    (no data.txt)\n'
    printf 'Help panel: the test pattern was read: %s\n' \
        "$(probe control-visible hs >/dev/null && echo '"成功" shown' || echo 'no')"
}

# What the camera showed and what Tolvira's result file holds, for a run that misses a code.
show_camera() {
    printf 'The virtual camera (camera.log):\n'
    sed 's/\r$//; s/^/    /' "$CAMERA_DIR/camera.log" 2>/dev/null || printf '    (no camera.log)\n'
    printf 'The engine (zbarcam.err):\n'
    sed 's/\r$//; s/^/    /' "$PROG_DIR/zbarcam.err" 2>/dev/null || printf '    (no zbarcam.err)\n'
    printf 'bar.dat:\n'
    sed 's/\r$//; s/^/    /' "$PROG_DIR/bar.dat" 2>/dev/null || printf '    (no bar.dat)\n'
}

missed() {
    show_camera
    fail "$@"
}

check_results() {
    local listed logged line
    typed_all || missed "Notepad does not hold the four codes, one a line"
    listed=$(probe items CodeList)
    logged=$(sed 's/\r$//' "$PROG_DIR/data.txt")
    for line in "${expected_lines[@]}"; do
        grep -qxF -- "$line" <<<"$listed" || missed "\"$line\" was not listed"
        grep -qxF -- "${line#*:}" <<<"$logged" || missed "\"${line#*:}\" was not logged"
    done
    probe control-visible hs >/dev/null || fail "the test pattern did not show \"成功\""
    log "ok: the test pattern read, four codes typed, listed and logged"
}

make_pictures
e2e_begin
lay_out_demo
configure

log "starting Tolvira; the engine's window \"ZBar\" comes up once it has the camera"
# shellcheck disable=SC2119 # a normal start
start_tolvira
probe wait-item CodeList 0 '[图像识别模块加载成功]' 30000 ||
    fail "the engine did not load: $(cat "$PROG_DIR/zbarcam.err" 2>&1)"
# The camera's picture at the bottom right, clear of Tolvira's window and Notepad's first lines.
xdotool search --name '^ZBar$' windowmove 636 330 2>/dev/null || true

"$WINE" notepad >"$E2E_TMP/notepad.log" 2>&1 &
notepad_pid=$!
E2E_PIDS+=("$notepad_pid")
probe wait-window "$notepad" 30000 || fail "Notepad did not open"
xdotool search --name "^$notepad\$" windowactivate 2>/dev/null || true
wait_for 10 "Notepad to hold the focus" notepad_is_active

log "showing the pictures: the test pattern with the help panel open, then four codes"
probe click bhelp
touch "$CAMERA_DIR/go"
wait_for 30 "the test pattern to be read" probe control-visible hs
probe click bhelp
probe wait-item CodeList 0 "${expected_lines[-1]}" 60000 || fail "the last code was not listed"
poll 10 typed_all || log "Notepad does not hold every code: did it keep the focus?"

show_results
((check)) && check_results
if ((on_display)); then
    printf '\nTolvira runs on your display: drop a picture (say from %s) on its list,\n' \
        "$out/pictures"
    printf 'open 设置 or 帮助; close Notepad or press Ctrl+C to end.\n'
    trap 'exit 0' INT
    wait "$notepad_pid" || true
else
    import -window root "$out/demo.png"
    printf 'Screenshot: %s\n' "$out/demo.png"
fi
