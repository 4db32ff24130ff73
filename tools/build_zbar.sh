#!/usr/bin/env bash
# Builds ZBar's Windows tools, static zbarcam.exe (DirectShow) and zbarimg.exe, from the pinned
# Debian source package (third_party/zbar/source.env), with the project's patches and its small
# iconv and picture reading (third_party/zbar/). Nothing fetched or built leaves OUT.
#
#   bash tools/build_zbar.sh OUT
#
# ZBAR_SKIP_PATCHES="NNN ..." leaves out the patches of those numbers (to show a fault a patch
# mends on the unpatched engine).
#
# Both carry a DataMatrix pass over libdmtx (tools/build_dmtx.sh, third_party/dmtx/source.env).
# OUT gets zbarcam.exe, zbarimg.exe, ZBar's COPYING and LICENSE.md (LGPL-2.1) and SOURCE.txt,
# libdmtx's LICENSE as libdmtx-LICENSE (BSD-2-Clause); OUT/work holds the
# source and the build. A second run with the same version, patches and sources does nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
third=$root/third_party/zbar
out=${1:?usage: bash tools/build_zbar.sh OUT}
mkdir -p "$out"
out=$(cd "$out" && pwd)
# shellcheck source=third_party/zbar/source.env
source "$third/source.env"
host=x86_64-w64-mingw32

die() {
    echo "build_zbar: $*" >&2
    exit 1
}

# One build at a time in OUT (two builds of the same tree started at once).
exec 9>"$out/.lock"
flock 9

# What the outputs are made of: a change to any of it rebuilds them.
stamp=$({
    cat "$third/source.env" "${BASH_SOURCE[0]}" "$root/tools/build_dmtx.sh" "$root/third_party/dmtx/source.env"
    echo "skip: ${ZBAR_SKIP_PATCHES:-}"
    find "$third" -type f ! -name source.env | LC_ALL=C sort | xargs sha256sum
} | sha256sum | cut -d' ' -f1)
if [[ -f $out/zbarcam.exe && -f $out/zbarimg.exe && "$(cat "$out/stamp" 2>/dev/null)" == "$stamp" ]]; then
    exit 0
fi
rm -f "$out/stamp" "$out/zbarcam.exe" "$out/zbarimg.exe"
started=$(date +%s)

for tool in apt-get dpkg-source autoreconf autopoint libtoolize pkg-config "$host-gcc" "$host-g++" make; do
    command -v "$tool" >/dev/null || die "$tool is missing: run bash tools/setup.sh"
done

as_root() {
    if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# Debian's source packages are reachable once the sources file lists deb-src for the same
# archives as deb.
enable_sources() {
    apt-cache showsrc "$ZBAR_PACKAGE=$ZBAR_VERSION" 2>/dev/null | grep -q "^Version: $ZBAR_VERSION\$" && return
    local file=/etc/apt/sources.list.d/debian.sources
    [[ -f $file ]] || die "no $file to enable Debian's source packages in"
    if grep -qx 'Types: deb' "$file"; then
        echo "build_zbar: enabling deb-src in $file"
        as_root sed -i 's/^Types: deb$/Types: deb deb-src/' "$file"
    fi
    as_root apt-get update -qq || die "apt-get update failed"
}

work=$out/work
rm -rf "$work"
mkdir -p "$work/fetch" "$work/prefix/include" "$work/prefix/lib/pkgconfig"

enable_sources
bash "$root/tools/build_dmtx.sh" "$work/dmtx" "$work/prefix"
echo "build_zbar: fetching the Debian source package $ZBAR_PACKAGE $ZBAR_VERSION"
(cd "$work/fetch" && apt-get source -qq --download-only "$ZBAR_PACKAGE=$ZBAR_VERSION" >/dev/null 2>&1) ||
    die "cannot fetch the source package $ZBAR_PACKAGE=$ZBAR_VERSION (is Debian's archive reachable, and does it still serve this version?)"
upstream=${ZBAR_VERSION%-*}
declare -A expected=(
    ["${ZBAR_PACKAGE}_${ZBAR_VERSION}.dsc"]=$ZBAR_SHA256_DSC
    ["${ZBAR_PACKAGE}_${upstream}.orig.tar.gz"]=$ZBAR_SHA256_ORIG
    ["${ZBAR_PACKAGE}_${ZBAR_VERSION}.debian.tar.xz"]=$ZBAR_SHA256_DEBIAN
)
for file in "${!expected[@]}"; do
    [[ -f $work/fetch/$file ]] || die "the source package lacks $file"
    actual=$(sha256sum "$work/fetch/$file" | cut -d' ' -f1)
    [[ $actual == "${expected[$file]}" ]] || die "$file has SHA-256 $actual, expected ${expected[$file]}"
done
dpkg-source -q -x "$work/fetch/${ZBAR_PACKAGE}_${ZBAR_VERSION}.dsc" "$work/src" >"$work/unpack.log" 2>&1 ||
    die "cannot unpack the source package"

for patch in "$third"/patches/*.patch; do
    [[ -e $patch ]] || continue
    name=$(basename "$patch")
    if [[ " ${ZBAR_SKIP_PATCHES:-} " == *" ${name%%-*} "* ]]; then
        echo "build_zbar: leaving out $name"
        continue
    fi
    patch -s -p1 -d "$work/src" <"$patch" || die "patch $(basename "$patch") does not apply"
done
# The DataMatrix pass the patches build into both tools.
cp -r "$third/dmtx" "$work/src/zbardmtx"

# The iconv and the picture reading ZBar finds in place of the libraries Debian has no MinGW
# build of.
flags=(-O2 -Wall -Wextra)
"$host-gcc" "${flags[@]}" -c "$third/iconv/iconv.c" -o "$work/iconv.o"
"$host-g++" "${flags[@]}" -std=c++17 -fno-exceptions -fno-rtti -I"$third/wand" \
    -c "$third/wand/WicWand.cpp" -o "$work/WicWand.o"
"$host-ar" rcs "$work/prefix/lib/libiconv.a" "$work/iconv.o"
"$host-ar" rcs "$work/prefix/lib/libtolvira_wand.a" "$work/WicWand.o"
cp "$third/iconv/iconv.h" "$work/prefix/include/"
cp -r "$third/wand/wand" "$work/prefix/include/"
sed "s|@PREFIX@|$work/prefix|" "$third/GraphicsMagickWand.pc.in" \
    >"$work/prefix/lib/pkgconfig/GraphicsMagickWand.pc"

echo "build_zbar: building zbarcam.exe and zbarimg.exe"
cd "$work/src"
autoreconf -fi >"$work/autoreconf.log" 2>&1 || die "autoreconf failed: see $work/autoreconf.log"
PKG_CONFIG_LIBDIR=$work/prefix/lib/pkgconfig PKG_CONFIG_PATH= \
    ./configure --host=$host --enable-static --disable-shared --with-directshow \
    --disable-pthread --disable-doc --without-gtk --without-qt --without-qt5 --without-python \
    --without-java --without-dbus --without-xshm --without-xv --without-jpeg --without-npapi \
    --without-gir --without-imagemagick --with-graphicsmagick \
    --with-libiconv-prefix="$work/prefix" \
    CPPFLAGS="-I$work/prefix/include" LDFLAGS="-L$work/prefix/lib" \
    >"$work/configure.log" 2>&1 || die "configure failed: see $work/configure.log"
make -j"$(nproc)" LDFLAGS="-all-static -L$work/prefix/lib" >"$work/make.log" 2>&1 ||
    die "make failed: see $work/make.log"

for exe in zbarcam/zbarcam.exe zbarimg/zbarimg.exe; do
    [[ -f $exe ]] || die "$exe was not built: see $work/make.log"
    "$host-strip" -o "$out/$(basename "$exe")" "$exe"
done
cp COPYING "$out/COPYING"
cp LICENSE.md "$out/LICENSE.md"
cp "$work/dmtx/LICENSE" "$out/libdmtx-LICENSE"
# shellcheck source=third_party/dmtx/source.env
source "$root/third_party/dmtx/source.env"
cat >"$out/SOURCE.txt" <<TEXT
zbarcam.exe and zbarimg.exe are ZBar $upstream (https://github.com/mchehab/zbar), free software
under the GNU Lesser General Public License, version 2.1 or later (ZBar-COPYING.txt,
ZBar-LICENSE.txt).

They were built from Debian's source package "$ZBAR_PACKAGE", version $ZBAR_VERSION
(apt-get source $ZBAR_PACKAGE=$ZBAR_VERSION; SHA-256 of the .dsc: $ZBAR_SHA256_DSC),
cross-compiled with MinGW-w64, with a small iconv over Windows' code pages and picture reading
over the Windows Imaging Component in place of ImageMagick. Those sources are in Tolvira's
source, folder third_party/zbar/; the build is tools/build_zbar.sh.

Both read DataMatrix codes with libdmtx ${DMTX_VERSION%-*} (https://github.com/dmtx/libdmtx), free
software under the BSD 2-Clause licence (libdmtx-LICENSE.txt), built from Debian's source package
"$DMTX_PACKAGE", version $DMTX_VERSION (apt-get source $DMTX_PACKAGE=$DMTX_VERSION; SHA-256 of the
.dsc: $DMTX_SHA256_DSC) by tools/build_dmtx.sh.
TEXT
echo "$stamp" >"$out/stamp"
echo "build_zbar: built in $(($(date +%s) - started)) s"
