#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test,
# then builds the core tests again with AddressSanitizer + UndefinedBehaviorSanitizer and runs them,
# then runs each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "${KORVO_SKIP_SANITIZE:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVO_WERROR=ON -DKORVO_SANITIZE=ON \
        -DKORVO_BUILD_UI=OFF -DKORVO_BUILD_BENCH=OFF
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

# Short fuzz pass: every libFuzzer target of fuzz/ for KORVO_FUZZ_SECONDS seconds (default 20)
# on its seed corpus, one after the other; fails on any finding. Longer runs: scripts/fuzz.sh.
if [ "${KORVO_SKIP_FUZZ:-0}" != "1" ]; then
  echo "=== fuzz pass (${KORVO_FUZZ_SECONDS:-20} s per target)"
  bash scripts/fuzz.sh "${KORVO_FUZZ_SECONDS:-20}"
fi
