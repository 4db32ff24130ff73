# Harness of the end-to-end tests: sourced by tests/e2e/*_test.sh.
#
# Each script gets its own X server (Xvfb + openbox), its own fresh Wine prefix in a temporary
# folder, and a hidden window of its own that stays alive for the whole run (without one, every
# program that opens the first window waits about ten seconds under Wine). Everything started
# here is ended by PID, or with the prefix's wineserver, when the script ends, passes or fails.
#
# Paths of the built programs come from the test's environment (cmake/EndToEnd.cmake):
# TOLVIRA_EXE, TOLVIRA_ZBARCAM, TOLVIRA_ZBARIMG, TOLVIRA_PROBE, TOLVIRA_WINE, TOLVIRA_WINESERVER.

set -euo pipefail

# A deadline of our own, well inside CTest's, so that a hung step still ends in the clean-up
# below (CTest's own timeout kills without letting a script clean up).
if [[ -z "${E2E_UNDER_DEADLINE:-}" ]]; then
    export E2E_UNDER_DEADLINE=1
    exec timeout -s TERM -k 30 "${E2E_DEADLINE_SECONDS:-240}" bash "$0" "$@"
fi

: "${TOLVIRA_ZBARCAM:?path of the scripted zbarcam.exe}"
: "${TOLVIRA_ZBARIMG:?path of zbarimg.exe}"
: "${TOLVIRA_PROBE:?path of probe.exe}"
WINE=${TOLVIRA_WINE:-/usr/lib/wine/wine64}
WINESERVER=${TOLVIRA_WINESERVER:-/usr/lib/wine/wineserver}
export WINELOADER=$WINE
export WINEDEBUG=-all
# No Gecko or Mono prompts; and no debugger, so a crash ends the program at once instead of
# leaving it waiting for one until the deadline.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export LC_ALL=C.UTF-8

E2E_TMP=""
E2E_PIDS=()
E2E_STARTED=$EPOCHREALTIME
XVFB_PID=""
OPENBOX_PID=""
TOLVIRA_PID=""

# Program folder of the current run, as a Unix path and as Windows sees it.
PROG_DIR=""
PROG_WIN=""

log() {
    local t
    t=$(awk -v now="$EPOCHREALTIME" -v start="$E2E_STARTED" 'BEGIN { printf "%.2f", now - start }')
    printf '[%6ss] %s\n' "$t" "$*"
}

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    local f
    for f in "${E2E_TMP:-/nonexistent}"/*.log; do
        [[ -s "$f" ]] || continue
        printf '%s (end):\n' "${f##*/}" >&2
        tail -n 5 "$f" | sed 's/^/    /' >&2
    done
    if [[ -n "${WINEPREFIX:-}" && "$(probe_quiet count-processes Tolvira.exe)" == 1 ]]; then
        printf 'CodeList now:\n' >&2
        probe_quiet items CodeList | sed 's/^/    /' >&2 || true
    fi
    exit 1
}

# probe.exe, the driver inside Wine (tests/e2e/Probe.cpp).
probe() { "$WINE" "$TOLVIRA_PROBE" "$@"; }
probe_quiet() { probe "$@" 2>/dev/null || true; }

# The whole bench of one script: X server, window manager, prefix, fonts, hold window.
e2e_begin() {
    local tool
    for tool in Xvfb openbox xdotool xprop iconv od timeout "$WINE" "$WINESERVER"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
    done
    E2E_TMP=$(mktemp -d /tmp/tolvira-e2e.XXXXXX)
    trap e2e_end EXIT
    trap 'exit 130' INT TERM

    # E2E_DISPLAY: a display of the user's (the demo), used as it is, window manager included.
    if [[ -n "${E2E_DISPLAY:-}" ]]; then
        export DISPLAY=$E2E_DISPLAY
    else
        e2e_start_x
    fi

    export WINEPREFIX=$E2E_TMP/prefix
    "$WINE" wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || fail "wineboot failed"
    import_cjk_fonts
    "$WINE" "$TOLVIRA_PROBE" hold-window >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    probe wait-window tolvira-e2e-hold 30000 || fail "the hold window did not appear"
    log "bench ready on display $DISPLAY"
}

# Own X server and window manager for this script; E2E_SCREEN sets its size (1280x800x24).
e2e_start_x() {
    # Xvfb picks a free display itself and reports it, so parallel benches never collide.
    # -noreset: otherwise the server resets when its last client leaves, and a client connecting
    # meanwhile (openbox, while a poll's xprop ends) is dropped and fails to open the display.
    local fd_file=$E2E_TMP/display
    Xvfb -displayfd 3 -noreset -screen 0 "${E2E_SCREEN:-1280x800x24}" -nolisten tcp 3>"$fd_file" 2>"$E2E_TMP/xvfb.log" &
    XVFB_PID=$!
    wait_for 10 "Xvfb to start" test -s "$fd_file"
    DISPLAY=":$(head -n1 "$fd_file")"
    export DISPLAY

    # Without a window manager every hide or destroy of a window stalls about 2 s under Wine.
    # E2E_FOCUS_NEW=no: the window manager gives no window the focus of its own accord, so only
    # the programs' own activations move it, as on Windows, where a program started in the
    # background can't take the foreground by opening a window.
    local config=()
    if [[ "${E2E_FOCUS_NEW:-yes}" == no ]]; then
        sed 's#<focusNew>yes</focusNew>#<focusNew>no</focusNew>#' /etc/xdg/openbox/rc.xml \
            >"$E2E_TMP/openbox-rc.xml"
        grep -q '<focusNew>no</focusNew>' "$E2E_TMP/openbox-rc.xml" ||
            fail "cannot turn off openbox's focusNew"
        config=(--config-file "$E2E_TMP/openbox-rc.xml")
    fi
    openbox --sm-disable "${config[@]}" >"$E2E_TMP/openbox.log" 2>&1 &
    OPENBOX_PID=$!
    wait_for 30 "openbox to manage the screen" \
        sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
}

e2e_end() {
    local status=$?
    trap - EXIT
    if [[ -n "${WINEPREFIX:-}" && -d "${WINEPREFIX:-}" ]]; then
        "$WINESERVER" -k 2>/dev/null || true
        "$WINESERVER" -w 2>/dev/null || true
    fi
    local pid
    for pid in "${E2E_PIDS[@]}" $TOLVIRA_PID $OPENBOX_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}" $TOLVIRA_PID $OPENBOX_PID $XVFB_PID; do
        wait "$pid" 2>/dev/null || true
    done
    [[ -n "$E2E_TMP" ]] && rm -rf "$E2E_TMP"
    if [[ $status -eq 0 ]]; then log "PASS"; else log "ended with status $status"; fi
    exit "$status"
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND every 50 ms.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local until=$(($(date +%s%N) + seconds * 1000000000))
    until "$@" >/dev/null 2>&1; do
        (($(date +%s%N) < until)) || fail "timed out after ${seconds}s waiting for $what"
        sleep 0.05
    done
}

# "微软雅黑", "宋体", "SimSun" and "Microsoft YaHei" have no glyphs in a fresh prefix.
import_cjk_fonts() {
    local reg=$E2E_TMP/fonts.reg
    {
        printf '\xff\xfe'
        printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
            '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
            '"微软雅黑"="WenQuanYi Micro Hei"' '"宋体"="WenQuanYi Micro Hei"' \
            '"SimSun"="WenQuanYi Micro Hei"' '"Microsoft YaHei"="WenQuanYi Micro Hei"' '' |
            iconv -f UTF-8 -t UTF-16LE
    } >"$reg"
    "$WINE" regedit /S "$reg" || fail "could not import the font substitutes"
}

# unix_to_windows PATH: the Windows path of a file below drive_c.
unix_to_windows() {
    local rel=${1#"$WINEPREFIX/drive_c/"}
    printf 'C:\\%s' "${rel//\//\\}"
}

# e2e_program_folder NAME [SCRIPT-LINE...]: lays out C:\NAME with Tolvira.exe and the engines;
# the lines become zbarcam.script. The feed starts empty.
e2e_program_folder() {
    local name=$1
    shift
    PROG_DIR=$WINEPREFIX/drive_c/$name
    # shellcheck disable=SC2034 # for the scripts
    PROG_WIN=$(unix_to_windows "$PROG_DIR")
    mkdir -p "$PROG_DIR"
    [[ -n "${TOLVIRA_EXE:-}" ]] && cp "$TOLVIRA_EXE" "$PROG_DIR/Tolvira.exe"
    cp "$TOLVIRA_ZBARCAM" "$PROG_DIR/zbarcam.exe"
    cp "$TOLVIRA_ZBARIMG" "$PROG_DIR/zbarimg.exe"
    printf '%s\n' "$@" >"$PROG_DIR/zbarcam.script"
    : >"$PROG_DIR/zbarcam.feed"
}

# The folder Tolvira is started from: never its program folder, as when Windows starts it at
# log-on. It holds a D.exe (the scripted engine under another name): a launch command that a
# shell split at "&" in "C:\R&D ..." would run it, and its start record would show.
cwd_dir() { printf '%s' "$WINEPREFIX/drive_c/cwd"; }

prepare_cwd() {
    mkdir -p "$(cwd_dir)"
    cp "$TOLVIRA_ZBARCAM" "$(cwd_dir)/D.exe"
    printf 'window=never\n' >"$(cwd_dir)/zbarcam.script"
}

# start_tolvira [ARG...]: starts the program in the background and waits until its start-up has
# run: the window exists before the stored options are loaded into its controls, and the title
# gets its version only after that.
start_tolvira() {
    : "${TOLVIRA_EXE:?path of Tolvira.exe}"
    prepare_cwd
    (cd "$(cwd_dir)" && exec "$WINE" "$PROG_DIR/Tolvira.exe" "$@") >>"$E2E_TMP/tolvira.log" 2>&1 &
    TOLVIRA_PID=$!
    probe wait-window Tolvira 30000 || fail "the window \"Tolvira\" did not appear"
    wait_for 30 "the start-up to finish" started_up
}
started_up() { [[ "$(probe text wt)" == "Tolvira "* ]]; }

# run_tolvira_to_end SECONDS [ARG...]: starts the program and expects it to end by itself.
run_tolvira_to_end() {
    local seconds=$1
    shift
    (cd "$(cwd_dir)" && exec timeout "$seconds" "$WINE" "$PROG_DIR/Tolvira.exe" "$@") \
        >>"$E2E_TMP/tolvira.log" 2>&1 || fail "Tolvira.exe $* did not end by itself within ${seconds}s"
}

# feed TEXT...: the scripted camera writes each TEXT as one result line (see ScriptedCamera.cpp).
feed() { printf '%s\n' "$@" >>"$PROG_DIR/zbarcam.feed"; }

# starts_of FOLDER: how many times the scripted engine in FOLDER was started.
starts_of() {
    local f=$1/zbarcam.starts
    [[ -f "$f" ]] && grep -c '^started' "$f" || echo 0
}

# The settings store.
SETTINGS_KEY='HKCU\Software\Vantrel\Setting'
reg_get() { probe reg-get "$1" "$2"; }
reg_set() { "$WINE" reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1 || fail "cannot set $1\\$2"; }
oldbar_is() { [[ "$(reg_get "$SETTINGS_KEY" OldBar)" == "$1" ]]; }

# The tray: Wine's explorer shows the icons in one X window "Wine System Tray", mapped while it
# holds at least one icon. (It also drops the icons of a window that is destroyed, so an ended
# program leaves no icon behind even without NIM_DELETE.) When another window is hidden the tray
# window may vanish for a moment, so checks that the icon stays wait for it a little.
tray_has_icon() { xdotool search --onlyvisible --name '^Wine System Tray$' >/dev/null 2>&1; }
tray_has_no_icon() { ! tray_has_icon; }

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
    [[ "$2" == "$3" ]] || fail "$1: got \"$2\", expected \"$3\""
    log "ok: $1 = \"$3\""
}

# expect_item INDEX TEXT: CodeList's entry INDEX is TEXT now.
expect_item() {
    local items
    items=$(probe items CodeList) || fail "cannot read CodeList"
    expect_eq "CodeList[$1]" "$(sed -n "$(($1 + 1))p" <<<"$items")" "$2"
}

# not_listed TEXT: CodeList holds no entry TEXT.
not_listed() {
    ! probe items CodeList | grep -qxF -- "$1" || fail "\"$1\" was listed"
    log "ok: \"$1\" not listed"
}

# start_target_edit KEYLOG [--keys-only] [--title TITLE]: starts TargetEdit.exe (built next to probe.exe), a
# window "tolvira-e2e-target" whose edit control takes the typed codes, logging every key message
# it gets into the Unix file KEYLOG (see TargetEdit.cpp), and waits until it has the focus.
TARGET_TITLE=tolvira-e2e-target
start_target_edit() {
    local keylog=$1
    shift
    "$WINE" "$(dirname "$TOLVIRA_PROBE")/TargetEdit.exe" "Z:${keylog//\//\\}" "$@" \
        >>"$E2E_TMP/target.log" 2>&1 &
    E2E_PIDS+=($!)
    local title=$TARGET_TITLE
    [[ "${1:-}" == --title ]] && title=$2
    [[ "${2:-}" == --title ]] && title=$3
    probe wait-window "$title" 30000 || fail "the window $title did not appear"
    probe activate "$title" 10000 || fail "the window $title did not get the focus"
}

# target_text: the target's text, line ends as LF.
target_text() { probe child-text "$TARGET_TITLE" Edit; }

# The bench's camera (tests/camera/VirtualCamera.cpp) in C:\camera, registered in the prefix as a
# video input device; its script from the arguments (see camera_script).
CAMERA_DIR=""
register_virtual_camera() {
    : "${TOLVIRA_VIRTUAL_CAMERA:?path of VirtualCamera.dll}"
    CAMERA_DIR=$WINEPREFIX/drive_c/camera
    mkdir -p "$CAMERA_DIR"
    cp "$TOLVIRA_VIRTUAL_CAMERA" "$CAMERA_DIR/VirtualCamera.dll"
    camera_script "$@"
    "$WINE" regsvr32 /s 'C:\camera\VirtualCamera.dll' || fail "regsvr32 could not register the virtual camera"
}

# camera_script LINE...: what the camera plays from the engine's next start on.
camera_script() { printf '%s\r\n' "$@" >"$CAMERA_DIR/VirtualCamera.txt"; }

# use_real_camera_engine: the zbarcam.exe built here in the program folder, in place of the
# scripted one; its version text tells the two apart.
use_real_camera_engine() {
    : "${TOLVIRA_REAL_ZBARCAM:?path of the zbarcam.exe built here}"
    cp "$TOLVIRA_REAL_ZBARCAM" "$PROG_DIR/zbarcam.exe"
    local version
    version=$("$WINE" "$PROG_DIR/zbarcam.exe" --version 2>&1 | tr -d '\r')
    [[ $version == 0.23.* ]] || fail "the program folder's zbarcam.exe is not ZBar's: --version says \"$version\""
    log "the real engine: zbarcam.exe --version says $version"
}

# ean13 DIGITS: the twelve digits with their check digit.
ean13() {
    local d=$1 sum=0 i
    for ((i = 0; i < 12; i++)); do sum=$((sum + ${d:i:1} * (i % 2 ? 3 : 1))); done
    printf '%s%s' "$d" $(((10 - sum % 10) % 10))
}
