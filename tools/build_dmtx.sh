#!/usr/bin/env bash
# Builds libdmtx, the DataMatrix decoder linked into zbarcam.exe and zbarimg.exe, as a static
# MinGW-w64 library from the pinned Debian source package (third_party/dmtx/source.env).
# Called by tools/build_zbar.sh once Debian's source packages are reachable.
#
#   bash tools/build_dmtx.sh WORK PREFIX
#
# WORK gets the fetched and unpacked source; PREFIX/include gets dmtx.h, PREFIX/lib libdmtx.a.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:?usage: bash tools/build_dmtx.sh WORK PREFIX}
prefix=${2:?usage: bash tools/build_dmtx.sh WORK PREFIX}
# shellcheck source=third_party/dmtx/source.env
source "$root/third_party/dmtx/source.env"
host=x86_64-w64-mingw32

die() {
    echo "build_dmtx: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/fetch" "$prefix/include" "$prefix/lib"
echo "build_dmtx: fetching the Debian source package $DMTX_PACKAGE $DMTX_VERSION"
(cd "$work/fetch" && apt-get source -qq --download-only "$DMTX_PACKAGE=$DMTX_VERSION" >/dev/null 2>&1) ||
    die "cannot fetch the source package $DMTX_PACKAGE=$DMTX_VERSION (is Debian's archive reachable, and does it still serve this version?)"
upstream=${DMTX_VERSION%-*}
declare -A expected=(
    ["${DMTX_PACKAGE}_${DMTX_VERSION}.dsc"]=$DMTX_SHA256_DSC
    ["${DMTX_PACKAGE}_${upstream}.orig.tar.gz"]=$DMTX_SHA256_ORIG
    ["${DMTX_PACKAGE}_${DMTX_VERSION}.debian.tar.xz"]=$DMTX_SHA256_DEBIAN
)
for file in "${!expected[@]}"; do
    [[ -f $work/fetch/$file ]] || die "the source package lacks $file"
    actual=$(sha256sum "$work/fetch/$file" | cut -d' ' -f1)
    [[ $actual == "${expected[$file]}" ]] || die "$file has SHA-256 $actual, expected ${expected[$file]}"
done
dpkg-source -q -x "$work/fetch/${DMTX_PACKAGE}_${DMTX_VERSION}.dsc" "$work/src" >"$work/unpack.log" 2>&1 ||
    die "cannot unpack the source package"

# dmtx.c includes every other source file. Without HAVE_GETTIMEOFDAY libdmtx's clock ticks in
# whole seconds, and a scan's time limit of a few hundred milliseconds would not hold.
"$host-gcc" -O2 -DHAVE_SYS_TIME_H -DHAVE_GETTIMEOFDAY -c "$work/src/dmtx.c" -o "$work/dmtx.o" \
    2>"$work/compile.log" || die "libdmtx does not compile: see $work/compile.log"
rm -f "$prefix/lib/libdmtx.a"
"$host-ar" rcs "$prefix/lib/libdmtx.a" "$work/dmtx.o"
cp "$work/src/dmtx.h" "$prefix/include/"
cp "$work/src/LICENSE" "$work/LICENSE"
