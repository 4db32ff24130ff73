#!/usr/bin/env bash
# The screen scan of a user whose temporary folder's name does not fit the ANSI code page (a
# Polish user name with "Ł" on a Western system), through the real zbarimg.exe, which reads its
# command line in that code page: the code on the screen is found all the same.
source "$(dirname "$0")/lib.sh"

for tool in qrencode convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
SHOW_PICTURE=$(dirname "$TOLVIRA_PROBE")/ShowPicture.exe
SCREEN_TITLE=tolvira-e2e-screen
qr_text='temp folder Łuków'

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
temp_win='C:\users\Łuków\Temp'
mkdir -p "$WINEPREFIX/drive_c/users/Łuków/Temp"
for name in TEMP TMP; do
    "$WINE" reg add 'HKCU\Environment' /v "$name" /d "$temp_win" /f >/dev/null 2>&1 ||
        fail "cannot set $name"
done

pics=$E2E_TMP/pics
mkdir -p "$pics"
qrencode -s 6 -m 2 -o "$pics/qr.png" "$qr_text"
convert -size 1280x800 xc:white "$pics/qr.png" -geometry +900+450 -composite \
    "BMP3:$pics/screen.bmp"
"$WINE" "$SHOW_PICTURE" "$SCREEN_TITLE" "Z:${pics//\//\\}\\screen.bmp" 0 >>"$E2E_TMP/show.log" 2>&1 &
E2E_PIDS+=($!)
probe wait-window "$SCREEN_TITLE" 30000 || fail "the picture window did not appear"

start_tolvira
probe wait-item CodeList 0 '[正在加载图像识别模块]' || fail "no launch status in CodeList"
probe click bscreen
probe wait-item CodeList 0 "QR-Code:$qr_text" 10000 || fail "the code on the screen was not found"
probe wait-processes zbarimg.exe 0 5000 || fail "an image engine still runs"
left=$(find "$WINEPREFIX/drive_c" -iname 'Tolvira-screen-*' 2>/dev/null)
[[ -z "$left" ]] || fail "captures left behind: $left"
log "ok: found, and no capture left behind"
