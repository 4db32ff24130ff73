#!/usr/bin/env bash
# The image engine built here, under Wine, with Tolvira's switches: which bytes a QR code's text
# comes out as. Kanji mode (Shift-JIS by the QR standard) and every declared character set come
# out as UTF-8; plain 8-bit data comes out as its bytes (UTF-8 or the ANSI code page's text, as
# Tolvira reads a line); a code whose bytes don't fit its declared character set still arrives.
source "$(dirname "$0")/lib.sh"

for tool in qrencode zint iconv; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window=never'

bytes() { od -An -tx1 -v "$1" | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }

# check NAME TEXT EXPECTED MAKE...: the picture is made by the command MAKE with the picture's
# path added and TEXT's bytes on its standard input; the engine must print EXPECTED's bytes
# after "QR-Code:".
kanji() { qrencode -k -o "$1"; }
eight_bit() { qrencode -8 -o "$1"; }
eci() { local n=$1 out=$2; zint -b 58 --eci="$n" --input=- -o "$out" >/dev/null; }
eci_bytes() { local n=$1 out=$2; zint -b 58 --eci="$n" --binary --input=- -o "$out" >/dev/null; }

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t SJIS; }
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

cases=0
wrong=()
check() {
    local name=$1 text=$2 expected=$3
    shift 3
    cases=$((cases + 1))
    printf '%s' "$text" | "$@" "$PROG_DIR/code-$cases.png" ||
        fail "$name: could not make the picture"
    probe run-redirected --wait "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarimg.exe" -q \
        -Sqrcode.binary -Stest-inverted "$PROG_WIN\\code-$cases.png" >/dev/null || true
    local got want
    got=$(bytes "$PROG_DIR/out.dat")
    want=$(hex "QR-Code:$expected")0d0a
    if [[ "$got" == "$want" ]]; then
        log "$name: exact"
    else
        log "$name: printed $got, expected $want"
        wrong+=("$name")
    fi
}

check "UTF-8 text, 8-bit mode" '日本語の商品' '日本語の商品' eight_bit
check "Kanji mode" "$(sjis '日本語の商品')" '日本語の商品' kanji
check "Kanji mode with half-width katakana and ASCII" "$(sjis 'ﾃｽﾄ商品A1')" 'ﾃｽﾄ商品A1' kanji
check "GBK text without a declared set: its bytes" "$(gbk '你好，批号')" "$(gbk '你好，批号')" eight_bit
check "ASCII" 'https://example.com/?a=1&b=%41' 'https://example.com/?a=1&b=%41' eight_bit
check "declared ISO-8859-2" 'Łódź' 'Łódź' eci 4
check "declared ISO-8859-10" 'Ŋotur ĸ' 'Ŋotur ĸ' eci 12
check "declared ISO-8859-11" 'สวัสดี' 'สวัสดี' eci 13
check "declared ISO-8859-14" 'Ŵŷ ẁ' 'Ŵŷ ẁ' eci 16
check "declared ISO-8859-16" 'Școală €' 'Școală €' eci 18
check "declared UTF-8" '日本語' '日本語' eci 26
check "declared Shift-JIS" '日本語' '日本語' eci 20
check "bytes the declared ISO-8859-11 lacks: its bytes" $'\xa1\xdb' $'\xa1\xdb' eci_bytes 13
check "bytes that are not the declared UTF-8: its bytes" $'\xc4\xe3\xba\xc3' $'\xc4\xe3\xba\xc3' eci_bytes 26
((${#wrong[@]} == 0)) || fail "wrong text from: $(printf '%s; ' "${wrong[@]}")"
