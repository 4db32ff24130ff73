#!/usr/bin/env bash
# The screen scan under Wine, through the real decoder behind the zbarimg.exe shim: a window
# shows a QR code with Chinese text under Tolvira's own window and a Code 128 elsewhere. The
# label reads both with the window shown over one of them; the key (xdotool, as a user presses
# it) reads both with the window hidden in the tray; each is listed, logged, in history.csv as
# "screen", the first copied; an empty screen gives the "not found" line; no picture is left
# behind; the key stored as empty is not held; a key another program holds is said once and the
# label still works.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/window_lib.sh"

for tool in qrencode zint convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
SHOW_PICTURE=$(dirname "$TOLVIRA_PROBE")/ShowPicture.exe
SCREEN_TITLE=tolvira-e2e-screen
qr_text='屏幕扫码：你好，世界'
code128='TLV-SCREEN-128'
not_found='[屏幕上未找到条码]'

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
reg_set "$SETTINGS_KEY" c2 1
pics=$E2E_TMP/pics
mkdir -p "$pics"

count() { probe items CodeList | wc -l; }
seconds_since() { awk -v now="$EPOCHREALTIME" -v t="$1" 'BEGIN { printf "%.2f", now - t }'; }
# both_listed_since N: the list has grown by two from N entries, and those two are the codes.
both_listed_since() {
    local items
    items=$(probe items CodeList) || return 1
    (($(wc -l <<<"$items") >= $1 + 2)) || return 1
    [[ "$(head -n2 <<<"$items" | sort)" == "$(printf '%s\n' "CODE-128:$code128" \
        "QR-Code:$qr_text" | sort)" ]]
}
# scans_both WHAT COMMAND...: COMMAND starts a scan; both codes are listed within 10 s (the
# engine's DataMatrix search of the whole screen takes up to 3 s of it), the top one is on the
# clipboard, and both are logged and in history.csv as read from the screen.
scans_both() {
    local what=$1 before started top
    shift
    before=$(count)
    started=$EPOCHREALTIME
    "$@" || fail "$what did not start"
    wait_for 10 "both codes listed after $what" both_listed_since "$before"
    log "both listed $(seconds_since "$started") s after $what"
    top=$(probe items CodeList | head -n1)
    expect_eq "clipboard after $what" "$(probe clipboard)" "${top#*:}"
    wait_for 5 "data.txt to hold both codes" \
        grep -qxF "$code128"$'\r' "$PROG_DIR/data.txt"
    grep -qxF "$qr_text"$'\r' "$PROG_DIR/data.txt" || fail "the QR code was not logged"
    grep -q ",screen,QR-Code,$qr_text"$'\r$' "$PROG_DIR/history.csv" ||
        fail "the QR code is not in history.csv as screen"
    grep -q ",screen,CODE-128,$code128"$'\r$' "$PROG_DIR/history.csv" ||
        fail "the Code 128 is not in history.csv as screen"
    : >"$PROG_DIR/data.txt"
    : >"$PROG_DIR/history.csv"
}
no_picture_left() {
    local left
    left=$(find "$WINEPREFIX/drive_c" -iname 'Tolvira-screen-*' 2>/dev/null)
    [[ -z "$left" ]] || fail "captures left behind: $left"
    [[ -z "$(find "$PROG_DIR" -iname '*.bmp')" ]] || fail "a picture in the program folder"
    log "ok: no capture left behind"
}
press_key() { xdotool key ctrl+shift+F10; }

log "start: the key is held"
start_tolvira
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
settle_window_place
probe key-free 6 0x79 && fail "Ctrl+Shift+F10 is not held by Tolvira"
log "ok: Ctrl+Shift+F10 is held"

log "the screen: a QR code under Tolvira's window, a Code 128 elsewhere"
x_window_origin
qrencode -s 4 -m 2 -o "$pics/qr.png" "$qr_text"
zint -b CODE128 -d "$code128" --scale 1 --filetype=PNG -o "$pics/code128.png" >/dev/null
# The QR code lies inside the list, well clear of the window's edges.
convert -size 1280x800 xc:white \
    "$pics/qr.png" -geometry "+$((WIN_LEFT + 60))+$((WIN_TOP + 70))" -composite \
    "$pics/code128.png" -geometry +800+520 -composite "BMP3:$pics/screen.bmp"
# Each of its paints takes 200 ms: the capture must wait for the window to paint what Tolvira's
# window uncovered.
"$WINE" "$SHOW_PICTURE" "$SCREEN_TITLE" "Z:${pics//\//\\}\\screen.bmp" 200 >>"$E2E_TMP/show.log" 2>&1 &
E2E_PIDS+=($!)
probe wait-window "$SCREEN_TITLE" 30000 || fail "the picture window did not appear"
probe window-topmost Tolvira >/dev/null || fail "Tolvira is not on top of the picture"

log "the label, with the window shown over the QR code"
scans_both "a click on 屏幕扫码" probe click bscreen
# The window manager places the window as its requests come, after Tolvira's own call returns.
back_in_place() { [[ "$(probe window-rect Tolvira | cut -d' ' -f1-2)" == "$WIN_LEFT $WIN_TOP" ]]; }
wait_for 5 "the window back at $WIN_LEFT $WIN_TOP after the scan (it is at $(probe window-rect Tolvira))" back_in_place
probe window-visible Tolvira || fail "the window did not come back"

log "the key, with the window hidden in the tray"
probe close Tolvira
probe wait-window-state Tolvira hidden || fail "the window did not hide"
probe activate "$SCREEN_TITLE" 10000 || fail "the picture window did not get the focus"
scans_both "Ctrl+Shift+F10" press_key
probe window-visible Tolvira && fail "the scan showed the hidden window"

log "an empty screen: the not-found line"
probe close "$SCREEN_TITLE"
probe wait-no-window "$SCREEN_TITLE" 10000 || fail "the picture window did not close"
before=$(count)
press_key
probe wait-item CodeList 0 "$not_found" 5000 || fail "no \"$not_found\""
expect_eq "entries added for an empty screen" "$(($(count) - before))" 1
probe wait-processes zbarimg.exe 0 5000 || fail "an image engine still runs"
no_picture_left

log "codes holding line breaks: each one code, listed on one line, logged with its breaks"
printf 'line one\nline two' | qrencode -8 -s 4 -m 2 -o "$pics/lines.png"
vcard=$'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Li Lei\r\nEND:VCARD'
printf '%s' "$vcard" | qrencode -8 -s 4 -m 2 -o "$pics/vcard.png"
convert -size 1280x800 xc:white "$pics/lines.png" -geometry +700+100 -composite \
    "$pics/vcard.png" -geometry +700+450 -composite "BMP3:$pics/lines-screen.bmp"
"$WINE" "$SHOW_PICTURE" "$SCREEN_TITLE" "Z:${pics//\//\\}\\lines-screen.bmp" 0 >>"$E2E_TMP/show.log" 2>&1 &
E2E_PIDS+=($!)
probe wait-window "$SCREEN_TITLE" 30000 || fail "the picture window did not appear"
probe activate "$SCREEN_TITLE" 10000 || fail "the picture window did not get the focus"
: >"$PROG_DIR/data.txt"
before=$(count)
two_listed() { (($(count) >= before + 2)); }
press_key
wait_for 10 "two codes listed" two_listed
expect_eq "the two codes listed, each on one line" "$(probe items CodeList | head -n2 | sort)" \
    "$(printf '%s\n' 'QR-Code:BEGIN:VCARD↵VERSION:3.0↵FN:Li Lei↵END:VCARD' 'QR-Code:line one↵line two' | sort)"
expect_eq "entries added" "$(($(count) - before))" 2
logged_both() { grep -qF 'line two' "$PROG_DIR/data.txt" && grep -qF 'END:VCARD' "$PROG_DIR/data.txt"; }
wait_for 5 "data.txt to hold both codes" logged_both
grep -qzF "line one"$'\n'"line two"$'\r\n' "$PROG_DIR/data.txt" || fail "the two-line code was not logged whole"
grep -qzF "$vcard"$'\r\n' "$PROG_DIR/data.txt" || fail "the vCard was not logged whole"
probe close "$SCREEN_TITLE"
probe wait-no-window "$SCREEN_TITLE" 10000 || fail "the picture window did not close"
log "ok: two codes holding line breaks, two entries"

log "the key stored as empty: nothing held"
probe click bend
probe wait-no-window Tolvira 10000 || fail "Tolvira did not end"
reg_set "$SETTINGS_KEY" hotkey ''
start_tolvira
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
probe key-free 6 0x79 || fail "Ctrl+Shift+F10 is held with the key stored as empty"
log "ok: Ctrl+Shift+F10 is free"

log "a key another program holds: said once, the label still works"
probe click bend
probe wait-no-window Tolvira 10000 || fail "Tolvira did not end"
reg_set "$SETTINGS_KEY" hotkey 'ctrl + shift + f12'
"$WINE" "$TOLVIRA_PROBE" hold-key 6 0x7B >"$E2E_TMP/holder.out" 2>&1 &
E2E_PIDS+=($!)
wait_for 10 "the other program to hold the key" grep -q held "$E2E_TMP/holder.out"
start_tolvira
taken='[屏幕扫码热键Ctrl+Shift+F12已被其他程序占用]'
is_listed() { probe items CodeList | grep -qxF -- "$1"; }
wait_for 10 "\"$taken\" to be listed" is_listed "$taken"
expect_eq "lines saying so" "$(probe items CodeList | grep -cxF "$taken")" 1
probe click bscreen
probe wait-item CodeList 0 "$not_found" 5000 || fail "the label did not scan"

log "a GS1 DataMatrix beside an EAN-13 on the screen: both listed"
probe close "$SCREEN_TITLE" >/dev/null 2>&1 || true
ean=$(ean13 690123456789)
zint -b EANX -d "${ean:0:12}" --scale 2 -o "$pics/ean.png" >/dev/null
zint -b 71 --gs1 -d '[01]09501101530003[10]DM-LOT[17]261231' --scale 4 --whitesp=4 \
    --vwhitesp=4 -o "$pics/dm.png" >/dev/null
convert -size 1280x800 xc:white "$pics/ean.png" -geometry +700+80 -composite \
    "$pics/dm.png" -geometry +760+420 -composite "BMP3:$pics/screen2.bmp"
"$WINE" "$SHOW_PICTURE" "$SCREEN_TITLE" "Z:${pics//\//\\}\\screen2.bmp" 0 >>"$E2E_TMP/show.log" 2>&1 &
E2E_PIDS+=($!)
probe wait-window "$SCREEN_TITLE" 30000 || fail "the picture window did not appear"
dm_line="DataMatrix:010950110153000310DM-LOT"$'\x1d'"17261231"
both_kinds() {
    local items
    items=$(probe items CodeList) || return 1
    grep -qxF -- "EAN-13:$ean" <<<"$items" && grep -qxF -- "$dm_line" <<<"$items"
}
probe click bscreen
wait_for 10 "the EAN-13 and the GS1 DataMatrix listed" both_kinds
log "ok: both kinds listed from one screen"
