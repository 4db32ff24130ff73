#!/usr/bin/env bash
# The real camera road under Wine: Tolvira starts the zbarcam.exe built here, which binds the
# bench's virtual camera (tests/camera/VirtualCamera.cpp) as camera 0 and decodes its frames. Each
# row of the table is one engine run ("[初始化]" between rows) on one format and size; the camera
# shows a Chinese QR code, an EAN-13, a Code 128 and an inverted QR code, each held until it is
# listed (the engine decodes only a few 1920x1080 frames a second under Wine here), with 0.3 s of
# blank frames between them. Every code must be typed into the target, listed and logged
# exactly once. The row "wrong-size" first sends frames of the next smaller and the next larger
# size than negotiated, holding a code of their own: the engine must go on running, never read
# them, and read the good frames after them. In the row "mjpg-first" the camera offers MJPG
# before the row's format, as HD webcams do: with no MJPEG decompressor under Wine the engine
# must leave MJPG out and take the other format.
source "$(dirname "$0")/lib.sh"

LOADED='[图像识别模块加载成功]'
# format  size       what else
ROWS=(
    "YUY2   640x480    -"
    "NV12   1280x720   mjpg-first"
    "RGB24  1920x1080  -"
    "RGB32  640x480    -"
    "YUY2   1280x720   wrong-size"
)

e2e_begin
e2e_program_folder 'Camera Test' 'window=never'
use_real_camera_engine
register_virtual_camera
keylog=$E2E_TMP/keys.log
# Each code followed by Enter, nothing copied; camera 0 by number, the video window shown.
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False
reg_set "$SETTINGS_KEY" c3 1
reg_set "$SETTINGS_KEY" camera 0
start_target_edit "$keylog"

# pictures ROW: the row's four pictures in the camera's folder; prints the four result lines.
pictures() {
    local n=$1 ean
    ean=$(ean13 "69012345678$n")
    qrencode -s 6 -m 4 -o "$CAMERA_DIR/qr-$n.png" "扫码测试$n：你好，世界"
    zint -b EANX -d "${ean:0:12}" --scale 2 --filetype=BMP -o "$CAMERA_DIR/ean-$n.bmp" >/dev/null
    zint -b CODE128 -d "TLV-128/ROW-$n" --scale 2 --filetype=BMP -o "$CAMERA_DIR/c128-$n.bmp" >/dev/null
    qrencode -s 6 -m 4 -o "$CAMERA_DIR/inv-$n.png" "inverted-$n"
    convert "$CAMERA_DIR/inv-$n.png" -negate "$CAMERA_DIR/inv-$n.png"
    qrencode -s 6 -m 4 -o "$CAMERA_DIR/wrong-$n.png" "wrong-size-$n"
    printf '%s\n' "QR-Code:扫码测试$n：你好，世界" "EAN-13:$ean" "CODE-128:TLV-128/ROW-$n" "QR-Code:inverted-$n"
}

# the size first, then the others the camera offers
sizes_from() {
    local all=(640x480 1280x720 1920x1080) s out=$1
    for s in "${all[@]}"; do [[ $s == "$1" ]] || out+=" $s"; done
    printf '%s' "$out"
}

typed_has() { target_text | grep -qxF -- "$1"; }
typed_all() { [[ "$(target_text | sed '/^$/d')" == "$expected" ]]; }

engine_started_once() {
    [[ "$(probe count-processes zbarcam.exe | tr -d '\r')" == 1 ]]
}

n=0
expected=""
for row in "${ROWS[@]}"; do
    read -r format size extra <<<"$row"
    n=$((n + 1))
    mapfile -t lines < <(pictures "$n")
    expected+=$(printf '%s\n' "${lines[@]#*:}")$'\n'
    offered=$format
    [[ $extra == mjpg-first ]] && offered="MJPG $format"
    script=("log=camera.log" "formats=$offered" "sizes=$(sizes_from "$size")" "fps=15" "wait go-$n")
    [[ $extra == wrong-size ]] && script+=("short wrong-$n.png 1500" "long wrong-$n.png 1500")
    script+=("hold qr-$n.png next-$n-1" "blank 300" "hold ean-$n.bmp next-$n-2" "blank 300"
        "hold c128-$n.bmp next-$n-3" "blank 300" "hold inv-$n.png next-$n-4" "blank 300")
    camera_script "${script[@]}"

    log "row $n: $format $size $extra"
    if ((n == 1)); then
        start_tolvira
        probe click bset
        wait_for 5 "the settings panel to open" probe control-visible Fset
    else
        wait_for 10 "the link to be enabled" probe control-enabled restart
        probe click restart
        probe wait-item CodeList 0 '[图像识别模块初始化]' 10000 || fail "the relaunch was not listed"
    fi
    probe wait-item CodeList 0 "$LOADED" 30000 ||
        fail "the engine did not load; zbarcam.err: $(cat "$PROG_DIR/zbarcam.err" 2>&1)"
    engine_started_once || fail "not one engine running"
    grep -q "connected $format $size" "$CAMERA_DIR/camera.log" ||
        fail "the engine did not take $format $size: $(tr -d '\r' <"$CAMERA_DIR/camera.log" | grep connected | tail -n1)"
    if [[ $size == 1920x1080 ]]; then
        IFS=x read -r w h < <(probe window-size ZBar | tr -d "\r")
        ((w <= 1280 && h <= 800)) || fail "the video window is ${w}x$h, larger than the screen"
        log "ok: the video window is ${w}x$h for ${size} frames"
    fi
    probe activate "$TARGET_TITLE" 10000 || fail "the target did not get the focus back"
    touch "$CAMERA_DIR/go-$n"
    for i in 0 1 2 3; do
        probe wait-item CodeList 0 "${lines[i]}" 30000 ||
            fail "\"${lines[i]}\" was not listed; camera.log: $(tail -n 4 "$CAMERA_DIR/camera.log" | tr '\r\n' '  ')"
        touch "$CAMERA_DIR/next-$n-$((i + 1))"
    done
    wait_for 10 "the row's last code to be typed" typed_has "${lines[3]#*:}"
    listed=$(probe items CodeList)
    logged=$(sed 's/\r$//' "$PROG_DIR/data.txt")
    for line in "${lines[@]}"; do
        code=${line#*:}
        expect_eq "row $n: \"$line\" listed" "$(grep -cxF -- "$line" <<<"$listed")" 1
        expect_eq "row $n: \"$code\" logged" "$(grep -cxF -- "$code" <<<"$logged")" 1
    done
    if [[ $extra == wrong-size ]]; then
        if ! grep -q "^[0-9]* short " "$CAMERA_DIR/camera.log" || ! grep -q "^[0-9]* long " "$CAMERA_DIR/camera.log"; then
            fail "the camera sent no wrong-size frames"
        fi
        not_listed "QR-Code:wrong-size-$n"
        engine_started_once || fail "the engine ended on wrong-size frames: $(cat "$PROG_DIR/zbarcam.err")"
        log "ok: the engine dropped the wrong-size frames and read the good ones after them"
    fi
    rm -f "$CAMERA_DIR/camera.log"
done

log "every code typed once, in order"
expected=${expected%$'\n'}
typed_all || fail "typed: $(target_text | tr '\n' '|'), expected: $(tr '\n' '|' <<<"$expected")"
log "ok: $n rows, $((n * 4)) codes typed once each"
