#!/usr/bin/env bash
# The camera's DataMatrix pass on its own, under Wine: read rate and wall time per frame of the
# DataMatrix frames of tools/make_corpus.py (and of the frames without any code), at the
# camera's 300 ms limit and at the picture engine's 3 s.
#
#   bash tools/measure_dmtx_camera.sh BUILD [PER_CELL] [SEED]
#
# BUILD is the MinGW build folder (build/mingw), whose zbar/work holds the engines' build.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: bash tools/measure_dmtx_camera.sh BUILD [PER_CELL] [SEED]}" && pwd)
per_cell=${2:-2}
seed=${3:-1}
work=$build/zbar/work
[[ -f $work/prefix/lib/libdmtx.a ]] || { echo "measure_dmtx_camera: build the mingw preset first" >&2; exit 1; }
wine=${TOLVIRA_WINE:-/usr/lib/wine/wine64}
wineserver=${TOLVIRA_WINESERVER:-/usr/lib/wine/wineserver}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/measure-dmtx-camera.XXXXXX")
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

x86_64-w64-mingw32-gcc -O2 -I"$root/third_party/zbar/dmtx" -I"$work/src/zbardmtx" -I"$work/src/include" \
    -I"$work/prefix/include" "$root/tools/DmtxFrameTime.c" "$root/third_party/zbar/dmtx/dmtxpass.c" \
    "$work/src/zbar/.libs/libzbar.a" "$work/prefix/lib/libdmtx.a" "$work/prefix/lib/libiconv.a" \
    -static -o "$tmp/DmtxFrameTime.exe"
/usr/bin/python3 "$root/tools/make_corpus.py" "$tmp/corpus" "$per_cell" "$seed"
"$wine" wineboot -i >/dev/null 2>&1
cd "$tmp/corpus"
awk -F'\t' '$2 ~ /DataMatrix|none/ { print $1 }' truth.tsv | while read -r frame; do
    convert "$frame" -colorspace Gray -depth 8 "pgm:${frame%.*}.pgm"
done
for limit in 300 3000; do
    "$wine" "$tmp/DmtxFrameTime.exe" "$limit" ./*.pgm >"$tmp/run-$limit.tsv"
done

/usr/bin/python3 - "$tmp" <<'PY'
import statistics, sys
from pathlib import Path

tmp = Path(sys.argv[1])
truth = {}
for line in (tmp / "corpus/truth.tsv").read_text().splitlines():
    name, kind, expected, difficulty, size = line.split("\t")
    truth[name.rsplit(".", 1)[0]] = (kind, expected, size)
for limit in (300, 3000):
    stats = {}
    for line in (tmp / f"run-{limit}.tsv").read_text().splitlines():
        fields = line.split("\t")
        stem = Path(fields[0]).stem
        kind, expected, size = truth[stem]
        group = ("DataMatrix" if "DataMatrix" in kind else "none", size)
        s = stats.setdefault(group, {"n": 0, "read": 0, "wrong": 0, "ms": []})
        s["n"] += 1
        s["ms"].append(float(fields[1]))
        found = fields[2:]
        s["read"] += expected in found if kind != "none" else 0
        s["wrong"] += sum(1 for f in found if f != expected)
    print(f"\nlimit {limit} ms")
    for (group, size), s in sorted(stats.items()):
        ms = sorted(s["ms"])
        print(f"  {group:10} {size:9} {s['n']:3d} frames: read {s['read']:3d}, wrong {s['wrong']}, "
              f"ms median {statistics.median(ms):6.0f}, slowest {ms[-1]:6.0f}")
PY
