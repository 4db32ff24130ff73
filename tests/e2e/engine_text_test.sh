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

# Each case: a name, how its picture is made from the text (stdin: the text's bytes), the text's
# bytes, and the bytes the engine must print after "QR-Code:".
kanji() { qrencode -k -o "$1"; }
eight_bit() { qrencode -8 -o "$1"; }
eci() { local n=$1 out=$2; zint -b 58 --eci="$n" --input=- -o "$out" >/dev/null; }
eci_bytes() { local n=$1 out=$2; zint -b 58 --eci="$n" --binary --input=- -o "$out" >/dev/null; }

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t SJIS; }
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

cases=0
wrong=()
check() {
    local name=$1 make=$2 text=$3 expected=$4
    local picture=$PROG_DIR/code-$cases.png
    cases=$((cases + 1))
    printf '%s' "$text" | eval "$make \"\$picture\"" || fail "$name: could not make the picture"
    probe run-redirected --wait "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarimg.exe" -q \
        -Sqrcode.binary -Stest-inverted "$PROG_WIN\\code-$((cases - 1)).png" >/dev/null || true
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

check "UTF-8 text, 8-bit mode" eight_bit '日本語の商品' '日本語の商品'
check "Kanji mode" kanji "$(sjis '日本語の商品')" '日本語の商品'
check "Kanji mode with half-width katakana and ASCII" kanji "$(sjis 'ﾃｽﾄ商品A1')" 'ﾃｽﾄ商品A1'
check "GBK text without a declared set: its bytes" eight_bit "$(gbk '你好，批号')" "$(gbk '你好，批号')"
check "ASCII" eight_bit 'https://example.com/?a=1&b=%41' 'https://example.com/?a=1&b=%41'
check "declared ISO-8859-2" "eci 4" 'Łódź' 'Łódź'
check "declared ISO-8859-10" "eci 12" 'Ŋotur ĸ' 'Ŋotur ĸ'
check "declared ISO-8859-11" "eci 13" 'สวัสดี' 'สวัสดี'
check "declared ISO-8859-14" "eci 16" 'Ŵŷ ẁ' 'Ŵŷ ẁ'
check "declared ISO-8859-16" "eci 18" 'Școală €' 'Școală €'
check "declared UTF-8" "eci 26" '日本語' '日本語'
check "declared Shift-JIS" "eci 20" '日本語' '日本語'
check "bytes the declared ISO-8859-11 lacks: its bytes" "eci_bytes 13" $'\xa1\xdb' $'\xa1\xdb'
check "bytes that are not the declared UTF-8: its bytes" "eci_bytes 26" $'\xc4\xe3\xba\xc3' $'\xc4\xe3\xba\xc3'
((${#wrong[@]} == 0)) || fail "wrong text from: $(printf '%s; ' "${wrong[@]}")"
