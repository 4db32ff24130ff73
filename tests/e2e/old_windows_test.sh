#!/usr/bin/env bash
# Windows 7 SP1 and 8.1, as Wine stands in for them (the prefix's Windows version): Tolvira
# starts and lists a camera code, the image engine built here reads a picture, the camera
# engine built here starts and says it found no camera.
# Which system calls the programs import is checked by tests/release/check_release.sh.
source "$(dirname "$0")/lib.sh"

: "${TOLVIRA_REAL_ZBARCAM:?path of the zbarcam.exe built here}"
: "${TOLVIRA_ZBARIMG:?path of the zbarimg.exe built here}"
command -v qrencode >/dev/null || fail "qrencode is missing (see the README's set-up command)"

e2e_begin
for version in win7 win81; do
    # Wine 8 takes the user's setting (what winecfg writes); the machine's is not read.
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1 ||
        fail "cannot set Wine's Windows version to $version"
    e2e_program_folder "$version" 'window=never'
    reported=$(probe windows-version | tr -d '\r')
    case $version in
        win7) [[ $reported == 6.1.* ]] || fail "Wine reports Windows $reported, not 7" ;;
        win81) [[ $reported == 6.3.* ]] || fail "Wine reports Windows $reported, not 8.1" ;;
    esac
    log "$version ($reported): Tolvira starts and lists a camera code"
    start_tolvira
    probe wait-processes zbarcam.exe 1 || fail "$version: the camera engine was not started"
    feed "QR-Code:$version"
    probe wait-item CodeList 0 "QR-Code:$version" || fail "$version: the code was not listed"
    probe kill-processes Tolvira.exe >/dev/null
    probe kill-processes zbarcam.exe >/dev/null
    probe wait-processes Tolvira.exe 0 10000 || fail "$version: Tolvira did not end"

    log "$version: the image engine reads a picture"
    qrencode -o "$PROG_DIR/code.png" "picture on $version"
    probe run-redirected --wait "$PROG_WIN\\img.dat" "$PROG_WIN\\zbarimg.exe" -q \
        "$PROG_WIN\\code.png" >/dev/null || true
    expect_eq "$version: the image engine's output" "$(tr -d '\r' <"$PROG_DIR/img.dat")" \
        "QR-Code:picture on $version"

    log "$version: the camera engine starts and finds no camera"
    cp "$TOLVIRA_REAL_ZBARCAM" "$PROG_DIR/zbarcam-real.exe"
    probe run-redirected --wait "$PROG_WIN\\cam.dat" "$PROG_WIN\\zbarcam-real.exe" \
        >/dev/null 2>"$E2E_TMP/cam.err" || true
    grep -q 'camera' "$PROG_DIR/cam.dat" "$E2E_TMP/cam.err" 2>/dev/null ||
        fail "$version: the camera engine said nothing about the camera: $(cat "$PROG_DIR/cam.dat" "$E2E_TMP/cam.err")"
done
