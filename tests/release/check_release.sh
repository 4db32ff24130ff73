#!/usr/bin/env bash
# The release ZIP of a MinGW build: it holds Tolvira.exe, zbarcam.exe, zbarimg.exe, ZBar's
# licence and source note and the read-me, and no executable in it needs a DLL that Windows
# does not bring.
#
#   bash tests/release/check_release.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: check_release.sh BUILD_DIR}" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -B "$out" >"$out/cpack.log" 2>&1) || fail "cpack failed: $(tail -5 "$out/cpack.log")"
zip=$(find "$out" -maxdepth 1 -name 'Tolvira-*-win64.zip' | head -n1)
[[ -n "$zip" ]] || fail "cpack made no Tolvira-*-win64.zip"
mkdir "$out/unpacked"
(cd "$out/unpacked" && unzip -q "$zip")
root=$(find "$out/unpacked" -mindepth 1 -maxdepth 1 -type d | head -n1)
[[ -n "$root" ]] || root=$out/unpacked

expected='README.txt Tolvira.exe ZBar-COPYING.txt ZBar-LICENSE.txt ZBar-SOURCE.txt libdmtx-LICENSE.txt zbarcam.exe zbarimg.exe'
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[[ "$actual" == "$expected" ]] || fail "the ZIP holds \"$actual\", expected \"$expected\""
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$root/ZBar-LICENSE.txt" || fail "ZBar-LICENSE.txt is not the LGPL"
grep -q 'Version 2.1' "$root/ZBar-LICENSE.txt" || fail "ZBar-LICENSE.txt is not the LGPL 2.1"
grep -q 'apt-get source zbar=' "$root/ZBar-SOURCE.txt" || fail "ZBar-SOURCE.txt names no source package"
grep -q 'apt-get source libdmtx=' "$root/ZBar-SOURCE.txt" || fail "ZBar-SOURCE.txt names no libdmtx source package"
grep -q 'Redistribution and use in source and binary forms' "$root/libdmtx-LICENSE.txt" ||
    fail "libdmtx-LICENSE.txt is not libdmtx's BSD licence"
! grep -qi 'sourceforge\|zbar-0.10' "$root/README.txt" || fail "the read-me still sends the user elsewhere"

# Windows' own DLLs, as the import tables name them.
system_dlls='^(kernel32|user32|gdi32|msvcrt|ole32|oleaut32|shell32|comctl32|uxtheme|version|advapi32|windowscodecs|comdlg32|shlwapi|winmm|ws2_32|imm32)\.dll$'
for exe in Tolvira.exe zbarcam.exe zbarimg.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$root/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    [[ -n "$dlls" ]] || fail "$exe imports nothing: not a Windows program?"
    others=$(grep -vE "$system_dlls" <<<"$dlls" || true)
    [[ -z "$others" ]] || fail "$exe needs DLLs Windows does not bring: $others"
    echo "ok: $exe imports only $(tr '\n' ' ' <<<"$dlls")"
done
echo "ok: $(basename "$zip") holds $expected"
