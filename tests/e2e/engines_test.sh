#!/usr/bin/env bash
# The bench's own tools under Wine, without Tolvira: the scripted camera engine, the zbarimg
# shim with real pictures, and the probe. The other scenarios rely on what is checked here.
source "$(dirname "$0")/lib.sh"

for tool in qrencode /usr/bin/zbarimg; do
    command -v "$tool" >/dev/null || fail "$tool is missing (see the README's set-up command)"
done
: "${TOLVIRA_IMAGE_SHIM:?path of the zbarimg.exe shim}"
e2e_begin
e2e_program_folder 'R&D %TEMP% x' 'window_delay_ms=300'
out_dat=$PROG_DIR/out.dat

# bytes FILE: the file as hex, so line ends and odd bytes show.
bytes() { od -An -tx1 -v "$1" | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
file_is() { [[ -f "$1" && "$(bytes "$1")" == "$(hex "$2")" ]]; }

log "scripted camera: window, feed lines, partial lines, odd bytes"
probe run-redirected "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarcam.exe" >/dev/null ||
    fail "could not start the scripted camera"
probe wait-window ZBar 20000 || fail "the scripted camera opened no window \"ZBar\""
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1
feed 'QR-Code:hello'
wait_for 10 "the first feed line" file_is "$out_dat" $'QR-Code:hello\r\n'
feed '@part EAN-13:12' '@part 34'
wait_for 10 "a partial line" file_is "$out_dat" $'QR-Code:hello\r\nEAN-13:1234'
feed '5'
feed 'QR-Code:\xff\xfe\\x'
wait_for 10 "odd bytes" file_is "$out_dat" $'QR-Code:hello\r\nEAN-13:12345\r\nQR-Code:\xff\xfe\\x\r\n'
expect_eq "engines running" "$(probe count-processes ZBARCAM.EXE | tr -d '\r')" 1
probe kill-processes zbarcam.exe
probe wait-processes zbarcam.exe 0 10000 || fail "the engine did not end"

log "scripted camera: crash in the middle of a line"
e2e_program_folder 'crash' 'window=never' 'crash_after_lines=1' 'crash_mid_line=1'
probe run-redirected "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarcam.exe" >/dev/null
feed 'QR-Code:one' 'QR-Code:two'
probe wait-processes zbarcam.exe 0 10000 || fail "the engine did not crash"
file_is "$PROG_DIR/out.dat" $'QR-Code:one\r\nQR-Co' || fail "crash output: $(bytes "$PROG_DIR/out.dat")"

log "scripted camera: an engine that never starts"
e2e_program_folder 'never' 'start=fail'
code=0
probe run-redirected --wait "$PROG_WIN\\out.dat" "$PROG_WIN\\zbarcam.exe" >/dev/null || code=$?
expect_eq "exit code of a failed start" "$code" 1
expect_eq "engine starts" "$(starts_of "$PROG_DIR")" 1

log "zbarimg shim: real decoding, odd file names and odd data"
e2e_program_folder 'R&D %TEMP% x' 'window=never'
cp "$TOLVIRA_IMAGE_SHIM" "$PROG_DIR/zbarimg.exe"
for name in 'q r&x^z%PATH%!a!(b)[c];d,e=f.png' "it's @x~.png" '码 图.png'; do
    qrencode -o "$PROG_DIR/$name" 'hello'
    code=0
    probe run-redirected --wait "$PROG_WIN\\img.dat" "$PROG_WIN\\zbarimg.exe" -q \
        "$PROG_WIN\\$name" >/dev/null || code=$?
    expect_eq "zbarimg exit code for $name" "$code" 0
    file_is "$PROG_DIR/img.dat" $'QR-Code:hello\r\n' ||
        fail "zbarimg output for $name: $(bytes "$PROG_DIR/img.dat")"
done
data=$'a&b|c"d\'e %PATH% $HOME `x` 码:f'
qrencode -o "$PROG_DIR/data.png" "$data"
probe run-redirected --wait "$PROG_WIN\\img.dat" "$PROG_WIN\\zbarimg.exe" -q "$PROG_WIN\\data.png" \
    >/dev/null || fail "zbarimg failed on odd data"
file_is "$PROG_DIR/img.dat" "QR-Code:$data"$'\r\n' || fail "odd data: $(bytes "$PROG_DIR/img.dat")"
code=0
probe run-redirected --wait "$PROG_WIN\\img.dat" "$PROG_WIN\\zbarimg.exe" -q "$PROG_WIN\\none.png" \
    >/dev/null 2>&1 || code=$?
[[ $code -ne 0 ]] || fail "zbarimg on a missing file reported success"
log "ok: a missing picture ends with exit code $code"
# Characters that no Windows file name holds reach zbarimg unchanged, in its error message.
# shellcheck disable=SC2016 # taken literally on purpose
odd='a"b|c<d>e $HOME `x` 码.png'
probe run-redirected --wait "$PROG_WIN\\img.dat" "$PROG_WIN\\zbarimg.exe" "$odd" >/dev/null \
    2>"$PROG_DIR/err.txt" && fail "zbarimg on \"$odd\" reported success"
grep -qF "$odd" "$PROG_DIR/err.txt" || fail "zbarimg did not get \"$odd\": $(cat "$PROG_DIR/err.txt")"
log "ok: an argument with quotes, pipes and angle brackets arrives intact"
expect_eq "shims left running" "$(probe count-processes zbarimg.exe | tr -d '\r')" 0
