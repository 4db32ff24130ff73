#!/usr/bin/env bash
# The counter's options through the real zbarcam.exe on the bench's virtual camera: EAN/UPC
# switched off (an EAN-13 beside a Code 128 gives only the Code 128), a GS1-128 typed in the
# bracketed form, a GS1 DataMatrix (the engine's DataMatrix pass) typed the same way, and a code
# shown again after another one caught as a duplicate and not typed.
# First, codes holding line breaks, two lines of text and a vCard: each one code, typed with an
# Enter for each of its line breaks, listed on one line, logged with its breaks.
# ZBar reports a code that comes back within a few seconds as the same sighting, so the camera
# shows blank frames for longer than that before showing it again.
source "$(dirname "$0")/lib.sh"

LOADED='[图像识别模块加载成功]'
GS=$'\x1d'

e2e_begin
e2e_program_folder 'Counter Test' 'window=never'
use_real_camera_engine
register_virtual_camera
keylog=$E2E_TMP/keys.log
# Each code followed by Enter; camera 0.
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False
reg_set "$SETTINGS_KEY" camera 0
reg_set "$SETTINGS_KEY" kindsoff ean
reg_set "$SETTINGS_KEY" gs1 1
reg_set "$SETTINGS_KEY" duplicates 2
start_target_edit "$keylog"

ean=$(ean13 690123456789)
zint -b EANX -d "${ean:0:12}" --scale 2 --filetype=PNG -o "$E2E_TMP/ean.png" >/dev/null
zint -b CODE128 -d "KIND-OK" --scale 2 --filetype=PNG -o "$E2E_TMP/c128.png" >/dev/null
# One above the other: each is 232 pixels high, and the frame is 640x480.
convert -size 470x470 xc:white "$E2E_TMP/ean.png" -geometry +5+2 -composite \
    "$E2E_TMP/c128.png" -geometry +5+236 -composite "$CAMERA_DIR/both.png"
zint -b 16 --gs1 -d '[01]09501101530003[10]AB12[17]261231' --scale 2 --filetype=PNG \
    -o "$CAMERA_DIR/gs1.png" >/dev/null
zint -b 71 --gs1 -d '[01]09501101530003[10]DM-LOT[17]261231' --scale 4 --whitesp=4 \
    --vwhitesp=4 -o "$CAMERA_DIR/dm.png" >/dev/null
printf 'line one\nline two' | qrencode -8 -s 6 -o "$CAMERA_DIR/lines.png"
vcard=$'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Li Lei\r\nEND:VCARD'
printf '%s' "$vcard" | qrencode -8 -s 6 -o "$CAMERA_DIR/vcard.png"
camera_script "log=camera.log" "formats=YUY2" "sizes=640x480" "fps=15" "wait go" \
    "hold lines.png next-lines" "blank 300" "hold vcard.png next-vcard" "blank 300" \
    "hold both.png next-1" "blank 300" "hold gs1.png next-2" "blank 300" \
    "hold dm.png next-3" "blank 5000" "hold both.png next-4" "blank 300"

start_tolvira
probe wait-item CodeList 0 "$LOADED" 30000 ||
    fail "the engine did not load; zbarcam.err: $(cat "$PROG_DIR/zbarcam.err" 2>&1)"
probe activate "$TARGET_TITLE" 10000 || fail "the target did not get the focus back"
touch "$CAMERA_DIR/go"

probe wait-item CodeList 0 'QR-Code:line one↵line two' 30000 || fail "the two-line code was not listed whole"
touch "$CAMERA_DIR/next-lines"
probe wait-item CodeList 0 'QR-Code:BEGIN:VCARD↵VERSION:3.0↵FN:Li Lei↵END:VCARD' 30000 ||
    fail "the vCard was not listed whole"
touch "$CAMERA_DIR/next-vcard"
for part in 'QR-Code:line one' 'QR-Code:BEGIN:VCARD' 'VERSION:3.0' 'FN:Li Lei' 'END:VCARD'; do
    not_listed "$part"
done

probe wait-item CodeList 0 'CODE-128:KIND-OK' 30000 ||
    fail "the Code 128 was not listed; camera.log: $(tail -n 4 "$CAMERA_DIR/camera.log" 2>&1 | tr '\r\n' '  ');" \
        "zbarcam.err: $(cat "$PROG_DIR/zbarcam.err" 2>&1)"
touch "$CAMERA_DIR/next-1"
gs1_line="CODE-128:010950110153000310AB12${GS}17261231"
probe wait-item CodeList 0 "$gs1_line" 30000 || fail "the GS1-128 was not listed as read"
touch "$CAMERA_DIR/next-2"
dm_line="DataMatrix:010950110153000310DM-LOT${GS}17261231"
probe wait-item CodeList 0 "$dm_line" 30000 || fail "the GS1 DataMatrix was not listed as read"
touch "$CAMERA_DIR/next-3"
is_duplicate() { probe items CodeList | head -n1 | grep -q '^\[重复\] KIND-OK 首次 20[0-9-]* [0-9:]*$'; }
wait_for 30 "the Code 128 shown again to be listed as a duplicate" is_duplicate
touch "$CAMERA_DIR/next-4"
not_listed "EAN-13:$ean"
# Each code ends in Enter, and each line break inside a code is one Enter: the target holds one
# line per line of the codes, the vCard's without an empty line between (as two Enters for a
# CR LF would make).
expected=$'line one\nline two\nBEGIN:VCARD\nVERSION:3.0\nFN:Li Lei\nEND:VCARD\nKIND-OK'
expected+=$'\n(01)09501101530003(10)AB12(17)261231\n(01)09501101530003(10)DM-LOT(17)261231'
typed_all() { [[ "$(target_text | sed '/^$/d')" == "$expected" ]]; }
wait_for 10 "every code to be typed" typed_all
[[ "$(target_text)" == *$'\nBEGIN:VCARD\nVERSION:3.0\nFN:Li Lei\nEND:VCARD\n'* ]] ||
    fail "the vCard was not typed one Enter a line break: $(target_text | tr '\n' '|')"
expect_eq "logged" "$(od -An -c "$PROG_DIR/data.txt" | tr -s ' \n' ' ')" \
    "$(printf 'line one\nline two\r\n%s\r\nKIND-OK\r\n010950110153000310AB12%s17261231\r\n010950110153000310DM-LOT%s17261231\r\n' \
        "$vcard" "$GS" "$GS" | od -An -c | tr -s ' \n' ' ')"
log "ok: the EAN-13 not read, the GS1-128 and GS1 DataMatrix typed in brackets, the duplicate not typed or logged;"
log "ok: the two-line code and the vCard typed with an Enter for each line break, listed whole"
