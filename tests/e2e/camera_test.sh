#!/usr/bin/env bash
# The zbarcam.exe built here, started by Tolvira under Wine where there is no camera: the reason
# is in the list within 5 s of the start, and "[初始化]" tries again and tells it again.
source "$(dirname "$0")/lib.sh"

: "${TOLVIRA_REAL_ZBARCAM:?path of the zbarcam.exe built here}"
NO_CAMERA='[未找到摄像头，图像识别模块已退出]'
INITIALISED='[图像识别模块初始化]'

e2e_begin
e2e_program_folder 'R&D %TEMP% x'
cp "$TOLVIRA_REAL_ZBARCAM" "$PROG_DIR/zbarcam.exe"

log "the engine finds no camera and ends"
start_tolvira
started_at=$EPOCHREALTIME
probe wait-item CodeList 0 "$NO_CAMERA" 5000 ||
    fail "no reason listed within 5 s; list: $(probe items CodeList | tr '\n' '|'), zbarcam.err: $(cat "$PROG_DIR/zbarcam.err" 2>&1)"
log "ok: the reason was listed $(awk -v now="$EPOCHREALTIME" -v t="$started_at" 'BEGIN { printf "%.2f", now - t }') s after the window came up"
grep -q 'failed to connect to camera' "$PROG_DIR/zbarcam.err" ||
    fail "zbarcam.err does not hold the engine's error: $(cat "$PROG_DIR/zbarcam.err")"
expect_eq "engines running" "$(probe count-processes zbarcam.exe | tr -d '\r')" 0

log "\"[初始化]\" tries again and tells again"
probe click bset
wait_for 5 "the settings panel to open" probe control-visible Fset
wait_for 10 "the link to be enabled" probe control-enabled restart
probe click restart
probe wait-item CodeList 1 "$INITIALISED" 10000 || fail "the relaunch was not listed under the reason"
probe wait-item CodeList 0 "$NO_CAMERA" 10000 ||
    fail "no reason listed after the relaunch; list: $(probe items CodeList | tr '\n' '|')"
expect_eq "reasons listed" "$(probe items CodeList | grep -cxF -- "$NO_CAMERA")" 2
