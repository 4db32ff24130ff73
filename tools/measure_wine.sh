#!/usr/bin/env bash
# Figures of Tolvira.exe under Wine, printed as a table (a measurement, not a test):
# - start-up to window shown, median of warm runs, against a trivial Win32 program
#   (tools/TrivialWindow.cpp) started the same way: by probe.exe's CreateProcess, polling every
#   millisecond for the window to be visible;
# - CPU time over 60 s idle: the engine loaded (the scripted camera's window "ZBar" found), so
#   the status monitor has stopped itself and only the result poll runs, woken by its 100 ms
#   timer and by the program folder's change notification; then the same with the timer alone
#   (TOLVIRA_POLL_TIMER_ONLY=1, a switch for this measurement only);
# - peak working set (VmHWM of the Wine process: the resident high-water mark, which is what
#   Wine reports as PeakWorkingSetSize);
# - the size of Tolvira.exe.
#
#   bash tools/measure_wine.sh [BUILD-DIR]   (default build/mingw, configured with the mingw preset)
#
# MEASURE_RUNS (default 10) and MEASURE_IDLE_SECONDS (default 60) change the amounts.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build/mingw}")
runs=${MEASURE_RUNS:-10}
idle=${MEASURE_IDLE_SECONDS:-60}

if [[ -z "${E2E_UNDER_DEADLINE:-}" ]]; then
    [[ -f "$build/CMakeCache.txt" ]] || (cd "$root" && cmake --preset mingw -B "$build" >/dev/null)
    cmake --build "$build" -j "$(nproc)" --target Tolvira tolvira_trivial_window \
        tolvira_scripted_camera zbar_tools tolvira_probe >/dev/null
fi
export TOLVIRA_EXE=$build/Tolvira.exe TOLVIRA_ZBARCAM=$build/e2e-tools/zbarcam.exe \
    TOLVIRA_ZBARIMG=$build/zbar/zbarimg.exe TOLVIRA_PROBE=$build/e2e-tools/probe.exe
export E2E_DEADLINE_SECONDS=$((2 * idle + 300))
set -- "$build"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

median() { sort -n | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); printf "%.0f", (NR % 2 ? v[m] : (v[m] + v[m + 1]) / 2) }'; }
spread() { sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.0f-%.0f", lo, hi }'; }

# start_ms EXE TITLE: one start from another folder, as Tolvira is started. Through a file: the
# started program keeps probe's standard output open, which a command substitution would wait for.
start_ms() {
    (cd "$(cwd_dir)" && probe start-time "$PROG_WIN\\$1" "$2" 30000) >"$E2E_TMP/start-ms" || return
    cat "$E2E_TMP/start-ms"
}

end_tolvira() {
    probe kill-processes Tolvira.exe
    probe wait-processes Tolvira.exe 0 10000 || fail "Tolvira.exe did not end"
}

end_trivial() {
    probe kill-processes trivial.exe
    probe wait-processes trivial.exe 0 10000 || fail "trivial.exe did not end"
}

# cpu_ticks PID: user and system time of a Linux process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
e2e_begin
e2e_program_folder 'Program Files/Tolvira'
# No engine during the start-up runs: each run ends Tolvira at once, and an engine launch cut
# short that way was seen to leave a zbarcam.exe behind under Wine.
mv "$PROG_DIR/zbarcam.exe" "$E2E_TMP/zbarcam.exe"
cp "$build/demo-tools/trivial.exe" "$PROG_DIR/trivial.exe"
prepare_cwd

log "start-up: 2 warm-up runs and $runs measured runs of each program, alternating"
tolvira_ms=() trivial_ms=()
for ((i = -2; i < runs; i++)); do
    t=$(start_ms Tolvira.exe Tolvira) || fail "Tolvira's window was not shown"
    end_tolvira
    b=$(start_ms trivial.exe Trivial) || fail "the trivial window was not shown"
    end_trivial
    ((i < 0)) && continue
    tolvira_ms+=("$t")
    trivial_ms+=("$b")
done
tolvira_start=$(printf '%s\n' "${tolvira_ms[@]}" | median)
trivial_start=$(printf '%s\n' "${trivial_ms[@]}" | median)
tolvira_spread=$(printf '%s\n' "${tolvira_ms[@]}" | spread)
trivial_spread=$(printf '%s\n' "${trivial_ms[@]}" | spread)
log "Tolvira.exe (ms): ${tolvira_ms[*]}"
log "trivial.exe (ms): ${trivial_ms[*]}"

# idle_cpu: Tolvira started, the engine loaded, then its CPU time over the idle seconds
# (IDLE_MS) and its peak working set (HWM_KB).
idle_cpu() {
    local before after
    # shellcheck disable=SC2119 # a normal start
    start_tolvira
    grep -q 'Tolvira.exe' "/proc/$TOLVIRA_PID/cmdline" || fail "process $TOLVIRA_PID is not Tolvira.exe"
    probe wait-item CodeList 0 '[图像识别模块加载成功]' 30000 ||
        fail "the engine did not load ($(probe count-processes zbarcam.exe) running, $(starts_of "$PROG_DIR") started)"
    before=$(cpu_ticks "$TOLVIRA_PID")
    sleep "$idle"
    after=$(cpu_ticks "$TOLVIRA_PID")
    HWM_KB=$(awk '/^VmHWM:/ { print $2 }' "/proc/$TOLVIRA_PID/status")
    IDLE_MS=$(((after - before) * 1000 / $(getconf CLK_TCK)))
}

log "idle: the engine loaded, then ${idle}s of nothing"
mv "$E2E_TMP/zbarcam.exe" "$PROG_DIR/zbarcam.exe"
idle_cpu
cpu_ms=$IDLE_MS hwm_kb=$HWM_KB
log "idle again with the poll on its timer alone (TOLVIRA_POLL_TIMER_ONLY)"
end_tolvira
probe kill-processes zbarcam.exe
export TOLVIRA_POLL_TIMER_ONLY=1
idle_cpu
unset TOLVIRA_POLL_TIMER_ONLY
timer_cpu_ms=$IDLE_MS
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
size=$(stat -c %s "$TOLVIRA_EXE")

printf '\n| Figure (Wine 8, %s cores, load %s before, %s after) | Tolvira.exe | Baseline |\n' \
    "$(nproc)" "$load_before" "$load_after"
printf '|---|---|---|\n'
printf '| Start-up to window shown, median (range) of %s warm runs | %s ms (%s) | %s ms (%s), trivial Win32 window; ratio %s |\n' \
    "$runs" "$tolvira_start" "$tolvira_spread" "$trivial_start" "$trivial_spread" \
    "$(awk -v a="$tolvira_start" -v b="$trivial_start" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
printf '| CPU time over %s s idle (engine loaded, monitor stopped) | %s ms (%s %% of one core) | %s ms (%s %%), the poll on its timer alone |\n' \
    "$idle" "$cpu_ms" "$(awk -v c="$cpu_ms" -v s="$idle" 'BEGIN { printf "%.2f", c / (s * 10) }')" \
    "$timer_cpu_ms" "$(awk -v c="$timer_cpu_ms" -v s="$idle" 'BEGIN { printf "%.2f", c / (s * 10) }')"
printf '| Peak working set (VmHWM) | %s MiB | |\n' "$(awk -v k="$hwm_kb" 'BEGIN { printf "%.1f", k / 1024 }')"
printf '| Tolvira.exe size | %s bytes (%s KiB) | |\n' "$size" "$((size / 1024))"
