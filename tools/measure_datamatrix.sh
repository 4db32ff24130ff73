#!/usr/bin/env bash
# Read rates and time per frame of the picture engine (zbarimg.exe under Wine) on a corpus of
# webcam-like frames made by tools/make_corpus.py: ZBar alone (-Sdatamatrix.disable) against
# ZBar with the DataMatrix pass, with Tolvira's switches (-Sqrcode.binary -Stest-inverted).
#
#   bash tools/measure_datamatrix.sh BUILD [PER_CELL] [SEED]
#
# BUILD is the MinGW build folder (build/mingw). Prints, per kind: frames, read, wrong texts (a
# code printed that the frame does not hold) for each engine set-up; then the time per frame of
# each pass at 640x480 and 1280x720 in CPU time: ZBar's = (ZBar alone - nothing enabled) /
# frames, the DataMatrix pass's = (both - ZBar alone) / frames, picture loading taken out.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:?usage: bash tools/measure_datamatrix.sh BUILD [PER_CELL] [SEED]}" && pwd)
per_cell=${2:-2}
seed=${3:-1}
zbarimg=$build/zbar/zbarimg.exe
[[ -f $zbarimg ]] || { echo "measure_datamatrix: no $zbarimg: build the mingw preset first" >&2; exit 1; }
wine=${TOLVIRA_WINE:-/usr/lib/wine/wine64}
wineserver=${TOLVIRA_WINESERVER:-/usr/lib/wine/wineserver}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/measure-dmtx.XXXXXX")
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

/usr/bin/python3 "$root/tools/make_corpus.py" "$tmp/corpus" "$per_cell" "$seed"
"$wine" wineboot -i >/dev/null 2>&1
cp "$zbarimg" "$tmp/corpus/zbarimg.exe"

declare -A setups=(
    [nothing]="-Sdisable -Sdatamatrix.disable"
    [zbar]="-Sqrcode.binary -Stest-inverted -Sdatamatrix.disable"
    [both]="-Sqrcode.binary -Stest-inverted"
)
cd "$tmp/corpus"
for size in 640x480 1280x720; do
    mapfile -t frames < <(printf '%s\n' *-"$size"-*.png *-"$size"-*.jpg | LC_ALL=C sort)
    for setup in nothing zbar both; do
        # CPU time (user + system) of the engine's process, which other work on the machine
        # barely changes, unlike the wall time.
        cpu=$( {
            TIMEFORMAT='%U %S'
            # shellcheck disable=SC2086 # the switches are words
            time "$wine" zbarimg.exe --xml ${setups[$setup]} "${frames[@]}" >"$tmp/$setup-$size.xml" 2>/dev/null || true
        } 2>&1 | awk '{print $1 + $2}')
        echo "$setup $size ${#frames[@]} $cpu" >>"$tmp/times"
    done
done

/usr/bin/python3 - "$tmp" <<'PY'
import base64, collections, re, sys
from pathlib import Path

tmp = Path(sys.argv[1])
truth = {}
for line in (tmp / "corpus/truth.tsv").read_text().splitlines():
    name, kind, expected, difficulty, size = line.split("\t")
    truth[name] = (kind, expected.encode().decode("unicode_escape").encode("latin-1"), difficulty)

def results(setup):
    found = collections.defaultdict(list)
    for xml in tmp.glob(f"{setup}-*.xml"):
        text = xml.read_bytes().replace(b"\r\n", b"\n").decode("latin-1")
        for source in re.finditer(r"<source href='([^']*)'>(.*?)</source>", text, re.S):
            for sym in re.finditer(r"<symbol type='([^']*)'[^>]*><data( format='base64')?[^>]*><!\[CDATA\[(.*?)\]\]>",
                                   source.group(2), re.S):
                data = sym.group(3)
                raw = base64.b64decode(data) if sym.group(2) else data.encode("latin-1")
                found[source.group(1)].append((sym.group(1), raw))
    return found

def score(found):
    table = collections.defaultdict(lambda: [0, 0, 0])
    by_difficulty = collections.defaultdict(lambda: [0, 0])
    for name, (kind, expected, difficulty) in truth.items():
        row = table[kind]
        row[0] += 1
        engine_kind = "DataMatrix" if kind == "GS1-DataMatrix" else kind
        got = found.get(name, [])
        if kind != "none" and (engine_kind, expected) in got:
            row[1] += 1
            if "DataMatrix" in kind:
                by_difficulty[difficulty][0] += 1
        if "DataMatrix" in kind:
            by_difficulty[difficulty][1] += 1
        row[2] += sum(1 for g in got if g != (engine_kind, expected))
    return table, by_difficulty

print("\nread rate per kind (frames: read / wrong texts)")
scores = {s: score(results(s)) for s in ("zbar", "both")}
print(f"{'kind':16} {'frames':>6}  {'ZBar alone':>18}  {'ZBar + DataMatrix':>18}")
for kind in ["DataMatrix", "GS1-DataMatrix", "QR-Code", "EAN-13", "CODE-128", "none"]:
    z, b = scores["zbar"][0][kind], scores["both"][0][kind]
    pct = lambda r: f"{r[1]:3d} ({100 * r[1] / r[0]:3.0f} %) / {r[2]}" if r[0] else "-"
    print(f"{kind:16} {z[0]:6d}  {pct(z):>18}  {pct(b):>18}")
print("\nDataMatrix and GS1 DataMatrix read with the pass, per difficulty")
for difficulty, (read, total) in sorted(scores["both"][1].items()):
    print(f"  {difficulty:13} {read}/{total}")

times = {}
for line in (tmp / "times").read_text().splitlines():
    setup, size, n, seconds = line.split()
    times[(setup, size)] = (int(n), float(seconds))
print("\nCPU time per frame (the engine's process under Wine; loading taken out)")
for size in ("640x480", "1280x720"):
    n = times[("nothing", size)][0]
    load, zbar, both = (times[(s, size)][1] for s in ("nothing", "zbar", "both"))
    print(f"  {size:9} {n} frames: loading {1000 * load / n:6.1f} ms, ZBar {1000 * (zbar - load) / n:6.1f} ms, "
          f"DataMatrix pass {1000 * (both - zbar) / n:6.1f} ms")
PY
