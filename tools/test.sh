#!/usr/bin/env bash
# Sets everything up and runs every test: the logic's unit tests natively (plain and under
# AddressSanitizer/UndefinedBehaviorSanitizer), a short run of each fuzz target, then the
# Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

jobs=$(nproc)
run() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" "$@"
}
run native
run native-sanitize
run fuzz
run mingw
