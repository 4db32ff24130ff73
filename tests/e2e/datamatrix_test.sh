#!/usr/bin/env bash
# The shipped zbarimg.exe under Wine reads DataMatrix codes beside ZBar's own kinds: plain and
# GS1 codes, side by side with an EAN-13, in plain and XML output, switched off by -S like
# ZBar's kinds; with --escape a code's CR, LF and backslash (ZBar's and DataMatrix's alike) are
# written \r, \n and \\, one line per code; damaged, hostile and huge pictures end without a
# crash and without a code.
source "$(dirname "$0")/lib.sh"

for tool in zint qrencode convert /usr/bin/zbarimg; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
e2e_begin
e2e_program_folder 'dm R&D y' 'window=never'

# bytes FILE: as hex, so line ends and control characters show.
bytes() { od -An -tx1 -v "$1" | tr -d ' \n'; }
# datamatrix NAME DATA [ZINT-OPTION...]: a DataMatrix with its quiet zone, as printed labels have.
datamatrix() {
    local name=$1 data=$2
    shift 2
    zint -b 71 --whitesp=4 --vwhitesp=4 --scale=3 "$@" -d "$data" -o "$PROG_DIR/$name"
}
# read_picture EXPECTED-EXIT-CODE PICTURE [OPTION...]: runs the engine on it into out.dat.
read_picture() {
    local expected=$1 picture=$2 code=0
    shift 2
    probe run-redirected --wait "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarimg.exe" "$@" \
        "$PROG_WIN\\$picture" >/dev/null 2>"$PROG_DIR/err.txt" || code=$?
    expect_eq "exit code of zbarimg $* $picture" "$code" "$expected"
}
# expect_output WHAT TEXT: out.dat holds TEXT, its backslash escapes (printf %b) taken.
expect_output() {
    local expected
    expected=$(printf '%b' "$2" | od -An -tx1 -v | tr -d ' \n')
    [[ "$(bytes "$PROG_DIR/out.dat")" == "$expected" ]] ||
        fail "$1: got $(bytes "$PROG_DIR/out.dat"), expected $expected"
    log "ok: $1"
}

log "GS1: separators exactly as Debian's ZBar gives them for a GS1-128 of the same data"
gs1='[01]09501101530003[17]270131[10]AB-12/x[21]S0001[240]REF-7'
zint -b 16 --gs1 -d "$gs1" -o "$E2E_TMP/gs1-128.png"
linux=$(/usr/bin/zbarimg -q --raw "$E2E_TMP/gs1-128.png" 2>/dev/null | od -An -tx1 -v | tr -d ' \n')
[[ $linux == *1d* ]] || fail "Debian's zbarimg gave no GS separator for the GS1-128: $linux"
linux_xml=$(/usr/bin/zbarimg --xml "$E2E_TMP/gs1-128.png" 2>/dev/null | tr -d '\n' |
    sed -n "s/.*<symbol [^>]* modifiers='GS1'>\(<data.*<\/data>\)<\/symbol>.*/\1/p")
[[ -n $linux_xml ]] || fail "Debian's zbarimg gave no GS1 symbol in XML"
datamatrix gs1.png "$gs1" --gs1
read_picture 0 gs1.png -q --raw
[[ "$(bytes "$PROG_DIR/out.dat")" == "$linux" ]] ||
    fail "GS1 DataMatrix: got $(bytes "$PROG_DIR/out.dat"), Debian's GS1-128 gives $linux"
log "ok: GS1 DataMatrix text = Debian's GS1-128 text"
read_picture 0 gs1.png --xml
ours_xml=$(tr -d '\r\n' <"$PROG_DIR/out.dat")
[[ $ours_xml == *"<symbol type='DataMatrix' quality='1' orientation='UNKNOWN' modifiers='GS1'>$linux_xml</symbol>"* ]] ||
    fail "GS1 DataMatrix in XML: $ours_xml; Debian's GS1-128 data element: $linux_xml"
log "ok: GS1 DataMatrix XML element = Debian's GS1-128 one but for the kind"

log "plain, side by side, control characters, multi-line XML"
datamatrix plain.png 'UDI (01)0 Hello, DataMatrix!'
zint -b 13 --scale=2 -d 950110153000 -o "$E2E_TMP/ean.png"
convert "$E2E_TMP/ean.png" "$PROG_DIR/plain.png" -background white -gravity center +append \
    "$PROG_DIR/side.png"
datamatrix control.png 'A\x01\x02\e[2J\x7fB\tC' --esc
datamatrix lines.png 'line 1\nline 2' --esc
datamatrix escapes.png 'a\r\nb\\nc\\' --esc
printf 'QR 1\r\nQR\\n 2\r' | qrencode -8 -o "$PROG_DIR/qr-lines.png"
# picture | options | exit code | output
cases=(
    "plain.png|-q|0|DataMatrix:UDI (01)0 Hello, DataMatrix!\r\n"
    "side.png|-q|0|EAN-13:9501101530003\r\nDataMatrix:UDI (01)0 Hello, DataMatrix!\r\n"
    "control.png|-q|0|DataMatrix:A\x01\x02\x1b[2J\x7fB\tC\r\n"
    "side.png|-q -Sdatamatrix.disable|0|EAN-13:9501101530003\r\n"
    "side.png|-q -Sdatamatrix.enable=0|0|EAN-13:9501101530003\r\n"
    "side.png|-q -Sdisable -Sdatamatrix.enable|0|DataMatrix:UDI (01)0 Hello, DataMatrix!\r\n"
    "side.png|-q -Sdisable -Sean13.enable|0|EAN-13:9501101530003\r\n"
    "plain.png|-q -Sdatamatrix.disable|4|"
    "lines.png|-q --escape|0|DataMatrix:line 1\\\\nline 2\r\n"
    "escapes.png|-q --escape|0|DataMatrix:a\\\\r\\\\nb\\\\\\\\nc\\\\\\\\\r\n"
    "qr-lines.png|-q --escape -Sqrcode.binary|0|QR-Code:QR 1\\\\r\\\\nQR\\\\\\\\n 2\\\\r\r\n"
    "lines.png|--xml|0|<barcodes xmlns='http://zbar.sourceforge.net/2008/barcode'>\r\n<source href='$PROG_WIN\\lines.png'>\r\n<index num='0'>\r\n<symbol type='DataMatrix' quality='1' orientation='UNKNOWN'><data><![CDATA[line 1\r\nline 2]]></data></symbol>\r\n</index>\r\n</source>\r\n</barcodes>\r\n"
)
for case in "${cases[@]}"; do
    IFS='|' read -r picture options code output <<<"$case"
    # shellcheck disable=SC2086 # the options are words
    read_picture "$code" "$picture" $options
    expect_output "$picture $options" "$output"
done
code=0
probe run-redirected --wait "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarimg.exe" -Sdatamatrix.density=2 \
    "$PROG_WIN\\plain.png" >/dev/null 2>"$PROG_DIR/err.txt" || code=$?
if [[ $code -eq 0 ]] || ! grep -q 'invalid configuration setting: datamatrix.density=2' "$PROG_DIR/err.txt"; then
    fail "a DataMatrix setting that does not exist was taken: exit code $code, $(cat "$PROG_DIR/err.txt")"
fi
log "ok: -Sdatamatrix.density=2 is refused"

log "damaged and hostile pictures: no code, no crash, the time limit holds"
# Past what the error correction mends: the middle of the symbol painted over.
convert "$PROG_DIR/plain.png" -fill black -draw 'rectangle 25,25 50,50' "$PROG_DIR/damaged.png"
# Every module flipped but the finder and the timing: a symbol that cannot be read.
convert "$PROG_DIR/plain.png" -region 54x54+18+18 -negate "$PROG_DIR/negated.png"
# The most edges a picture can have, at 24 megapixels (examined shrunk).
convert -size 6000x4000 pattern:checkerboard -threshold 50% "$PROG_DIR/huge.png"
convert -size 1280x720 xc:gray50 +noise Random -colorspace Gray "$PROG_DIR/noise.png"
# Smaller than any symbol: libdmtx itself would abort on it.
convert -size 2x2 xc:white "$PROG_DIR/tiny.png"
for picture in damaged.png negated.png huge.png noise.png tiny.png; do
    read_picture 4 "$picture" -q
    expect_output "$picture prints nothing" ""
done
expect_eq "engines left running" "$(probe count-processes zbarimg.exe | tr -d '\r')" 0

