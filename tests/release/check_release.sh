#!/usr/bin/env bash
# The release ZIP of a MinGW build: it holds Tolvira.exe, zbarcam.exe, zbarimg.exe, ZBar's
# licence and source note and the read-me, and no executable in it needs a DLL that Windows
# does not bring, nor a call that Windows 7 SP1 lacks (tests/release/windows7_imports.txt).
#
#   bash tests/release/check_release.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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

# Every call imported by name is one Windows 7 SP1 has. A newer one would keep the program from
# starting there at all: look it up with GetProcAddress instead, with a fallback.
imported_calls() {
    x86_64-w64-mingw32-objdump -p "$1" | awk '
        /DLL Name:/ { dll = tolower($3); next }
        dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && $3 !~ /^[0-9a-f]+$/ { print dll, $3 }'
}
known=$(grep -v '^#' "$here/windows7_imports.txt" | LC_ALL=C sort -u)
for exe in Tolvira.exe zbarcam.exe zbarimg.exe; do
    calls=$(imported_calls "$root/$exe" | LC_ALL=C sort -u)
    [[ -n "$calls" ]] || fail "$exe imports no call by name"
    newer=$(LC_ALL=C comm -23 <(printf '%s\n' "$calls") <(printf '%s\n' "$known"))
    [[ -z "$newer" ]] ||
        fail "$exe imports calls not checked against Windows 7 SP1: $(tr '\n' ',' <<<"$newer")"
    echo "ok: $exe imports $(wc -l <<<"$calls") calls, each one Windows 7 SP1 has"
done
echo "ok: $(basename "$zip") holds $expected"
