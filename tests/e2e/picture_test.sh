#!/usr/bin/env bash
# Pictures dropped on CodeList under Wine, through a real X11 drag and drop (xdnd_drop.py) and
# the zbarimg.exe built here: the code is listed on top and logged, never typed or copied; PNG,
# JPEG, BMP and GIF, EAN-13, Code 128, light-on-dark QR codes and QR codes with ASCII, Chinese
# and accented text each come out exactly; a picture without a code, a file that is no picture
# and a drop of text change nothing; any file name decodes (a Chinese one in a Chinese folder
# too) and runs nothing else; a second drop while the first decode runs leaves only the second
# result (with the shim over Linux's zbarimg, which can be made slow). The pictures live outside
# drive_c, so they arrive as Z:\ paths.
source "$(dirname "$0")/lib.sh"

: "${TOLVIRA_IMAGE_SHIM:?path of the zbarimg.exe shim}"
for tool in qrencode zint convert /usr/bin/zbarimg /usr/bin/python3; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
# Debian's python3-xlib belongs to the system's Python, whatever python3 comes first on PATH.
PYTHON=/usr/bin/python3
"$PYTHON" -c 'import Xlib' 2>/dev/null || fail "python3-xlib is missing"
XDND_DROP=$(dirname "$0")/xdnd_drop.py

e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'
status_text='[正在加载图像识别模块]'
pics=$E2E_TMP/pics
mkdir -p "$pics"

# bytes FILE: the file as hex, so line ends and odd bytes show.
bytes() { od -An -tx1 -v "$1" | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
log_is() { [[ -f "$PROG_DIR/data.txt" && "$(bytes "$PROG_DIR/data.txt")" == "$(hex "$1")" ]]; }
seconds_since() { awk -v now="$EPOCHREALTIME" -v t="$1" 'BEGIN { printf "%.2f", now - t }'; }

# The list's drop point: CodeList sits at (120, 600) twips in the borderless window, 20 px in.
drop_x=$((120 / 15 + 20))
drop_y=$((600 / 15 + 20))
main_x_window() { xdotool search --onlyvisible --name '^Tolvira$' | head -n1; }
main_x_window_mapped() { [[ -n "$(main_x_window)" ]]; }

# drop [--text] ITEM...: drags ITEMs (files, or text) from outside and drops them on CodeList.
drop() {
    local as=() wid
    if [[ $1 == --text ]]; then
        as=(--text)
        shift
    fi
    wid=$(main_x_window) || true
    [[ -n "$wid" ]] || fail "no X window \"Tolvira\""
    dropped_at=$EPOCHREALTIME
    "$PYTHON" "$XDND_DROP" "${as[@]}" "$wid" "$drop_x" "$drop_y" "$@" ||
        fail "the drop of $* was not taken"
}

# Everything logged so far, as data.txt must hold it.
logged=''

# lists PATH LINE [DATA]: a drop of PATH lists LINE on top, over what was on top, and appends
# exactly DATA (by default the text after LINE's first colon), CR LF, to data.txt.
lists() {
    local path=$1 line=$2 data=${3-${2#*:}} top
    top=$(probe items CodeList | head -n1)
    drop "$path"
    probe wait-item CodeList 0 "$line" 10000 ||
        fail "${path##*/} was not decoded; bar2.dat: $(bytes "$PROG_DIR/bar2.dat" 2>&1)," \
            "image engines running: $(probe count-processes zbarimg.exe)"
    log "listed $(seconds_since "$dropped_at") s after the drop"
    expect_item 1 "$top"
    logged+="$data"$'\r\n'
    wait_for 5 "data.txt to end with \"$data\"" log_is "$logged"
}

# decodes PATH DATA: a QR code holding DATA.
decodes() { lists "$1" "QR-Code:$2"; }

# stays_quiet WHAT: nothing is listed or logged for past the tick that a drop would arm.
stays_quiet() {
    local before
    before=$(probe items CodeList)
    while (($(awk -v s="$(seconds_since "$dropped_at")" 'BEGIN { print (s < 2.5) }'))); do
        sleep 0.1
    done
    expect_eq "CodeList after $1" "$(probe items CodeList)" "$before"
    log_is "$logged" || fail "data.txt changed after $1: $(bytes "$PROG_DIR/data.txt")"
}

qrencode -o "$pics/first.png" 'hello picture'
convert -size 240x240 gradient:white-gray40 "$pics/nocode.png"

log "start: only the launch status is listed"
start_tolvira
probe wait-item CodeList 0 "$status_text" || fail "no launch status in CodeList"
wait_for 10 "the X window \"Tolvira\" to be mapped" main_x_window_mapped
probe wait-processes zbarcam.exe 1 || fail "the camera engine was not started"
# A drop deletes bar2.dat in the program folder and below, and nothing else. The cwd holds
# D.exe (lib.sh) and x.exe: a name split at "&" or "|" by a shell would run them.
mkdir -p "$PROG_DIR/sub dir"
printf 'QR-Code:old\r\n' | tee "$PROG_DIR/sub dir/bar2.dat" "$PROG_DIR/sub dir/bar.dat" \
    "$pics/bar2.dat" >/dev/null
cp "$TOLVIRA_ZBARCAM" "$(cwd_dir)/x.exe"
"$WINE" "$TOLVIRA_PROBE" watch-processes 200000 >"$E2E_TMP/started.log" 2>/dev/null &
watcher=$!
E2E_PIDS+=("$watcher")
file_drops=0

log "a picture with one QR code: listed on top and logged, not typed, copied or kept as OldBar"
decodes "$pics/first.png" 'hello picture'
file_drops=$((file_drops + 1))
[[ "$(probe clipboard)" != 'hello picture' ]] || fail "a picture's code was copied"
[[ "$(reg_get "$SETTINGS_KEY" OldBar 2>/dev/null)" != 'QR-Code:hello picture' ]] ||
    fail "a picture's code was kept as OldBar"
[[ ! -e "$PROG_DIR/sub dir/bar2.dat" ]] || fail "bar2.dat in a subfolder was not deleted"
for kept in "$PROG_DIR/sub dir/bar.dat" "$PROG_DIR/bar.dat" "$pics/bar2.dat"; do
    [[ -e "$kept" ]] || fail "the drop deleted $kept"
done
log "ok: only bar2.dat in the program folder and below was deleted"

log "a drop of dragged text starts nothing and takes no result again"
bar2_was=$(stat -c '%i %Y' "$PROG_DIR/bar2.dat")
drop --text 'QR-Code:dragged text'
stays_quiet "a drop of text"
expect_eq "bar2.dat (inode, time) after a drop of text" \
    "$(stat -c '%i %Y' "$PROG_DIR/bar2.dat")" "$bar2_was"

log "a picture without a code lists and logs nothing"
drop "$pics/nocode.png"
file_drops=$((file_drops + 1))
wait_for 10 "the decode of a picture without a code" test -f "$PROG_DIR/bar2.dat" \
    -a ! -s "$PROG_DIR/bar2.dat"
stays_quiet "a picture without a code"

log "any file name reaches the engine as one argument and decodes"
names=('two  blanks here.png' 'R&D y.png' 'q & x & r.png' 'c^a^r^e^t.png'
    '%TEMP% %PATH%.png' '!x! bang!.png' '(round) x).png' '[square] [x].png' '中文 图片.png')
for name in "${names[@]}"; do
    qrencode -o "$pics/$name" "$name"
    decodes "$pics/$name" "$name"
    file_drops=$((file_drops + 1))
done
long=$pics
for part in 1 2 3 4; do long+="/a folder name of sixty characters to make the path long $part"; done
mkdir -p "$long"
long+='/long & path.png'
qrencode -o "$long" 'long path'
windows_length=$(("${#long}" + 2))  # Z: in front
((windows_length > 260)) || fail "the long path has only $windows_length characters"
decodes "$long" 'long path'
file_drops=$((file_drops + 1))
log "ok: a path of $windows_length characters decoded"

log "a QR code with Chinese text: listed and logged intact, later colons kept"
qrencode -o "$pics/chinese.png" '扫码:中文数据 测试'
decodes "$pics/chinese.png" '扫码:中文数据 测试'
file_drops=$((file_drops + 1))

log "each kind of picture and code, listed and logged with its exact text"
# format | symbol | text. Chinese of several lengths, two characters too: ZBar's own guess of
# the character set garbles these; and Chinese mixed with accented letters and symbols.
cases=(
    'png|qr|Hello, Tolvira 123'
    'jpg|qr|你好'
    'bmp|qr|批号'
    'gif|qr|扫码测试：中文数据较长的一段文字，用来检查多字节文本的每一个字节'
    'png|qr|价格¥12.5 温度36.5° café 批号A-7'
    'jpg|qr|Crème brûlée 焦糖布丁 ¥28'
    'gif|inverted|light on dark 浅色'
    'png|ean13|590123412345'
    'bmp|code128|TLV-128/abc:x'
    'png|datamatrix|UDI (01)0 LOT A-7/x'
)
n=0
for case in "${cases[@]}"; do
    IFS='|' read -r format symbol text <<<"$case"
    n=$((n + 1))
    picture=$pics/case$n.$format
    case $symbol in
        qr) qrencode -s 6 -o "$pics/case$n-src.png" "$text" ;;
        inverted) qrencode -s 6 -o - "$text" | convert - -negate "$pics/case$n-src.png" ;;
        ean13) zint -b EANX -d "$text" --scale 2 -o "$pics/case$n-src.png" >/dev/null ;;
        code128) zint -b CODE128 -d "$text" --scale 2 -o "$pics/case$n-src.png" >/dev/null ;;
        datamatrix) zint -b DATAMATRIX -d "$text" --scale 3 --whitesp=4 --vwhitesp=4 \
            -o "$pics/case$n-src.png" >/dev/null ;;
    esac
    convert "$pics/case$n-src.png" "$([[ $format == bmp ]] && echo BMP3:)$picture"
    case $symbol in
        ean13) line="EAN-13:${text}7" ;;  # zint adds the check digit
        code128) line="CODE-128:$text" ;;
        datamatrix) line="DataMatrix:$text" ;;
        *) line="QR-Code:$text" ;;
    esac
    log "$format, $symbol: $text"
    lists "$picture" "$line"
    file_drops=$((file_drops + 1))
done

log "codes holding line breaks: one code each, listed on one line, logged with their breaks"
printf 'line one\nline two' | qrencode -8 -s 6 -o "$pics/two-lines.png"
lists "$pics/two-lines.png" 'QR-Code:line one↵line two' $'line one\nline two'
vcard=$'BEGIN:VCARD\r\nVERSION:3.0\r\nFN:李雷\r\nTEL:+86-10-1234\\5\r\nEND:VCARD'
printf '%s' "$vcard" | qrencode -8 -s 6 -o "$pics/vcard.png"
lists "$pics/vcard.png" 'QR-Code:BEGIN:VCARD↵VERSION:3.0↵FN:李雷↵TEL:+86-10-1234\5↵END:VCARD' "$vcard"
file_drops=$((file_drops + 2))

log "a picture named in Chinese inside a folder named in Chinese"
mkdir -p "$pics/图片 文件夹"
qrencode -s 6 -o "$pics/图片 文件夹/二维码 图.png" '文件名:中文'
decodes "$pics/图片 文件夹/二维码 图.png" '文件名:中文'
file_drops=$((file_drops + 1))
[[ -z "$(find "$WINEPREFIX/drive_c" -path '*Temp/Tolvira-*' -print -quit)" ]] ||
    fail "the engine's plain-named copy was not deleted: $(find "$WINEPREFIX/drive_c" -path '*Temp/Tolvira-*')"
log "ok: the plain-named copy the engine read is gone"

log "a file that is not a picture: nothing listed, nothing left running"
printf 'not a picture\n' >"$pics/notes.png"
drop "$pics/notes.png"
file_drops=$((file_drops + 1))
stays_quiet "a file that is not a picture"
probe wait-processes zbarimg.exe 0 5000 || fail "the image engine still runs"

log "a second drop while the first decode runs leaves only the second result"
cp "$TOLVIRA_IMAGE_SHIM" "$PROG_DIR/zbarimg.exe"  # the real engine can't be made slow
qrencode -o "$pics/slow.png" 'first, slow'
qrencode -o "$pics/second.png" 'second'
printf '15000\n' >"$PROG_DIR/zbarimg.delay"  # longer than the wait below
drop "$pics/slow.png"
wait_for 10 "the first decode to write its result" grep -q 'first, slow' "$PROG_DIR/bar2.dat"
rm "$PROG_DIR/zbarimg.delay"
expect_eq "image engines running" "$(probe count-processes zbarimg.exe)" 1
decodes "$pics/second.png" 'second'
file_drops=$((file_drops + 2))
probe wait-processes zbarimg.exe 0 5000 || fail "an image engine is still running"
not_listed 'QR-Code:first, slow'

log "nothing but the image engine was ever started, and only by Tolvira"
kill "$watcher"
wait "$watcher" 2>/dev/null || true
# Besides the image engines (each with the console host that the system gives a console program)
# only the bench's probes (started from outside Wine) and Wine's own services may appear.
started=$(tr -d '\r' <"$E2E_TMP/started.log")
allowed='zbarimg\.exe<-Tolvira\.exe|conhost\.exe<-zbarimg\.exe|probe\.exe<-\?|[^<]*<-services\.exe'
others=$(grep -vxE "$allowed" <<<"$started" || true)
[[ -z "$others" ]] || fail "other processes were started: $others"
expect_eq "image engine starts" "$(grep -c '^zbarimg' <<<"$started")" "$file_drops"
expect_eq "cmd.exe running" "$(probe count-processes cmd.exe)" 0
expect_eq "programs started from the current folder" "$(starts_of "$(cwd_dir)")" 0
for stray in bar2.dat data.txt; do
    [[ ! -e "$(cwd_dir)/$stray" ]] || fail "$stray was written into the current directory"
done
