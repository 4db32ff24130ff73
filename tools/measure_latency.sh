#!/usr/bin/env bash
# Measures, under Wine, the time from the camera engine's write of a result line to the first key
# of its code arriving in the window that has the focus. A measurement, not a test: it prints a
# table. Run by hand after a Windows build:
#
#     tools/measure_latency.sh [BUILD_DIR] [CODES]      (defaults: build/mingw, 200)
#
# The scripted engine (stamp=) notes when each line is flushed to bar.dat; TargetEdit.exe notes
# when each key message arrives; both read QueryPerformanceCounter, one clock for all processes
# under Wine. The part that is the 100 ms poll timer is taken from the tick grid fitted to the
# arrival times: the wait from each write to the next tick.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/mingw}" && pwd)
codes=${2:-200}
export TOLVIRA_EXE=$build/Tolvira.exe
export TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe
export TOLVIRA_ZBARIMG=$build/e2e-tools/zbarimg.exe
export TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export E2E_DEADLINE_SECONDS=$((120 + codes / 3))
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
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
start_target_edit "$keylog"

# A code is written once the one before has arrived whole (its Enter), after a random pause, so
# no code waits behind another one's keys and each meets the poll timer at a random phase.
entered() { [[ "$(grep -c ' keydown d ' "$keylog")" -ge "$1" ]]; }
log "writing $codes codes, one at a time"
for ((i = 1; i <= codes; i++)); do
    printf 'QR-Code:L%04d\n' "$i" >>"$PROG_DIR/zbarcam.feed"
    wait_for 10 "code $i to arrive in the target" entered "$i"
    sleep "0.0$((RANDOM % 10))"
done
expected=$(for ((i = 1; i <= codes; i++)); do printf 'L%04d\n' "$i"; done)
[[ "$(target_text)" == "$expected" ]] || fail "the target does not hold the codes in order"
probe wait-foreground "$TARGET_TITLE" 0 || fail "the target lost the focus"

# LATENCY_KEEP=DIR keeps the raw stamps for a closer look.
if [[ -n "${LATENCY_KEEP:-}" ]]; then
    mkdir -p "$LATENCY_KEEP" && cp "$PROG_DIR/written.log" "$keylog" "$LATENCY_KEEP/"
fi
python3 - "$PROG_DIR/written.log" "$keylog" <<'EOF'
import cmath, math, statistics, sys

written = [int(line.split()[0]) / 1000 for line in open(sys.argv[1]) if line.strip()]
first_keys, in_code = [], False
for line in open(sys.argv[2]):
    t, message, code = line.split()[:3]
    if message == "keydown" and not in_code:
        first_keys.append(int(t) / 1000)
        in_code = True
    if message == "keydown" and code == "d":
        in_code = False
if len(written) != len(first_keys):
    sys.exit(f"{len(written)} lines written but {len(first_keys)} codes arrived")
latency = sorted(k - w for w, k in zip(written, first_keys))

# Ticks come every ~100 ms on a fixed grid; the arrival times sit a little after them. Fit the
# period (the grid whose phase the arrivals share best), then put the grid at the earliest arrival
# (arrivals are late, never early: a few lie up to tens of ms after the bulk).
def coherence(period):
    return abs(sum(cmath.exp(2j * math.pi * (k % period) / period) for k in first_keys))
period = max((99.0 + n * 0.001 for n in range(2001)), key=coherence)
centre = cmath.phase(sum(cmath.exp(2j * math.pi * (k % period) / period) for k in first_keys))
centre = centre / (2 * math.pi) * period
early = 20.0
offset = [((k - centre + early) % period) - early for k in first_keys]
grid = centre + min(offset)
# A tick that fired late can still take a line written just after its grid point.
waits = [min((grid - w) % period, k - w) for w, k in zip(written, first_keys)]
late_ticks = sum((grid - w) % period > k - w for w, k in zip(written, first_keys))
after = [k - w - wait for w, k, wait in zip(written, first_keys, waits)]

def pct(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, max(0, math.ceil(p / 100 * len(values)) - 1))]

mean = statistics.mean(latency)
print()
print(f"Engine write to first key in the target, {len(latency)} codes, ms")
print(f"  {'median':>8} {'p99':>8} {'worst':>8} {'mean':>8} {'best':>8}")
print(f"  {statistics.median(latency):8.1f} {pct(latency, 99):8.1f} {latency[-1]:8.1f}"
      f" {mean:8.1f} {latency[0]:8.1f}")
print(f"Of it, the wait for the next 100 ms poll tick: mean {statistics.mean(waits):.1f} ms"
      f" ({100 * statistics.mean(waits) / mean:.0f}% of the mean latency)")
print(f"After the tick (read, deliver, key to the target): median {statistics.median(after):.1f}"
      f" ms, p99 {pct(after, 99):.1f} ms")
print(f"(tick period fitted: {period:.3f} ms; phase coherence of the arrivals:"
      f" {coherence(period) / len(first_keys):.2f}; codes taken by a late tick: {late_ticks})")
EOF
