#!/usr/bin/env bash
# Measures, under Wine, the time from the camera engine's write of a result line to the first key
# of its 40-character code and to its last key (the Enter after it) in the window that has the
# focus, both ways: with the program folder's change notification waking the poll (as shipped)
# and with the poll's 100 ms timer alone. A measurement, not a test: it prints a table. Run by
# hand after a Windows build:
#
#     tools/measure_latency.sh [BUILD_DIR] [CODES]      (defaults: build/mingw, 200 each way)
#
# The two ways take turns in blocks of LATENCY_BLOCK codes (default 50), so that other work on
# the machine weighs on both alike; Tolvira and the engine are started afresh for each block,
# the timer's blocks with TOLVIRA_POLL_TIMER_ONLY=1, the switch that exists for this measurement
# only. The scripted engine (stamp=) notes when each line is flushed to bar.dat; TargetEdit.exe
# notes when each key message arrives; both read QueryPerformanceCounter, one clock for all
# processes under Wine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/mingw}" && pwd)
codes=${2:-200}
block=${LATENCY_BLOCK:-50}
export TOLVIRA_EXE=$build/Tolvira.exe
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe
export TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export E2E_DEADLINE_SECONDS=$((300 + codes * 4))
for exe in "$TOLVIRA_EXE" "$TOLVIRA_ZBARCAM" "$TOLVIRA_PROBE"; do
    [[ -f "$exe" ]] || { echo "missing $exe: build the Windows targets first" >&2; exit 2; }
done
source "$root/tests/e2e/lib.sh"

e2e_begin
e2e_program_folder latency 'window=never' 'stamp=written.log'
keylog=$E2E_TMP/keys.log
# Enter after each code marks where one code ends in the target; clipboard off, as at first run.
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
reg_set "$SETTINGS_KEY" o2 False
start_target_edit "$keylog"

started_more_than() { [[ "$(starts_of "$PROG_DIR")" -gt "$1" ]]; }

# start_way WAY: Tolvira started for WAY (notified or timer), its engine running on an empty feed.
start_way() {
    local starts
    starts=$(starts_of "$PROG_DIR")
    if [[ $1 == timer ]]; then export TOLVIRA_POLL_TIMER_ONLY=1; fi
    # shellcheck disable=SC2119 # no arguments: a normal start
    start_tolvira
    unset TOLVIRA_POLL_TIMER_ONLY
    wait_for 30 "the engine to start" started_more_than "$starts"
    wait_for 10 "a fresh, empty bar.dat" test -f "$PROG_DIR/bar.dat" -a ! -s "$PROG_DIR/bar.dat"
    probe activate "$TARGET_TITLE" 10000 || fail "the target could not get the focus"
}

# The engine keeps running when Tolvira ends; the next engine reads its feed from the start.
stop_way() {
    probe kill-processes Tolvira.exe
    probe wait-processes Tolvira.exe 0 10000 || fail "Tolvira.exe did not end"
    wait "$TOLVIRA_PID" 2>/dev/null || true
    probe kill-processes zbarcam.exe
    probe wait-processes zbarcam.exe 0 10000 || fail "zbarcam.exe did not end"
    : >"$PROG_DIR/zbarcam.feed"
}

# A code is written once the one before has arrived whole (its Enter), after a random pause, so
# no code waits behind another one's keys and each meets the poll timer at a random phase. The
# code's first letter tells the way it was measured.
filler=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefgh
entered=0
entered() { [[ "$(grep -c ' keydown d ' "$keylog")" -ge "$1" ]]; }
expected=$E2E_TMP/expected
: >"$expected"
written=(0 0)
while ((written[0] < codes || written[1] < codes)); do
    for way in notified timer; do
        w=0 letter=N
        [[ $way == timer ]] && w=1 letter=T
        ((written[w] < codes)) || continue
        n=$((codes - written[w] < block ? codes - written[w] : block))
        log "$way: codes $((written[w] + 1)) to $((written[w] + n))"
        start_way "$way"
        for ((i = 1; i <= n; i++)); do
            code=$(printf '%s%04d-%s' "$letter" "$((written[w] + i))" "${filler:0:34}")
            printf 'QR-Code:%s\n' "$code" >>"$PROG_DIR/zbarcam.feed"
            printf '%s\n' "$code" >>"$expected"
            entered=$((entered + 1))
            wait_for 20 "code $code to arrive in the target" entered "$entered"
            sleep "0.0$((RANDOM % 10))"
        done
        stop_way
        written[w]=$((written[w] + n))
    done
done
[[ "$(target_text)" == "$(cat "$expected")" ]] || fail "the target does not hold the codes in order"

# LATENCY_KEEP=DIR keeps the raw stamps for a closer look.
if [[ -n "${LATENCY_KEEP:-}" ]]; then
    mkdir -p "$LATENCY_KEEP" && cp "$PROG_DIR/written.log" "$keylog" "$LATENCY_KEEP/"
fi
python3 - "$PROG_DIR/written.log" "$keylog" <<'EOF'
import math, statistics, sys

written = []
for line in open(sys.argv[1]):
    if line.strip():
        t, text = line.split(maxsplit=1)
        written.append((int(t) / 1000, text.split(":", 1)[1][0]))
first_keys, last_keys, in_code = [], [], False
for line in open(sys.argv[2]):
    t, message, code = line.split()[:3]
    if message != "keydown":
        continue
    if not in_code:
        first_keys.append(int(t) / 1000)
        in_code = True
    if code == "d":
        last_keys.append(int(t) / 1000)
        in_code = False
if not len(written) == len(first_keys) == len(last_keys):
    sys.exit(f"{len(written)} lines written but {len(first_keys)} codes arrived")

def pct(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, max(0, math.ceil(p / 100 * len(values)) - 1))]

ways = {"N": "change notification and timer", "T": "timer alone (100 ms)"}
print()
print("Engine write to the first and to the last key (Enter) of a 40-character code in the"
      " target, ms")
print(f"  {'':30} {'codes':>5}   {'first key: median':>17} {'p99':>6} {'worst':>6}"
      f"   {'last key: median':>16} {'p99':>6} {'worst':>6}")
for way, name in ways.items():
    rows = [(f - w, l - w) for (w, x), f, l in zip(written, first_keys, last_keys) if x == way]
    if not rows:
        continue
    first = [r[0] for r in rows]
    last = [r[1] for r in rows]
    print(f"  {name:30} {len(rows):5}   {statistics.median(first):17.1f} {pct(first, 99):6.1f}"
          f" {max(first):6.1f}   {statistics.median(last):16.1f} {pct(last, 99):6.1f}"
          f" {max(last):6.1f}")
EOF
