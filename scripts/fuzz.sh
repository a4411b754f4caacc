#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with ASan+UBSan) and runs each for SECONDS seconds
# (default 60), one after the other, on its working corpus build-fuzz/corpus/<target>/, started
# from the committed seeds in fuzz/corpus/<target>/. Prints executions
# and findings per target; exits 1 when a target found something (the crashing inputs of the
# last run are kept in build-fuzz/findings/<target>/, the grown corpus in build-fuzz/corpus/).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
all=(compile run plp pictures sdf rules)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
build=${KORVO_FUZZ_BUILD:-build-fuzz}

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

declare -A dict=([compile]=il [run]=il [plp]=plp [pictures]=pictures [sdf]=sdf [rules]=rules)
failed=0
summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  log="$build/fuzz_$t.log"
  rc=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/bin/fuzz_$t" "$corpus" -dict=fuzz/dict/"${dict[$t]}".dict -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" \
      >"$log" 2>&1 || rc=$?
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -1)
  [ -n "$execs" ] || execs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  found=$(find "$findings" -type f | wc -l)
  line="fuzz_$t: ${execs:-0} executions in ${seconds}s, $found finding(s)"
  if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    line="$line (exit $rc, log $log)"
    grep -E 'ERROR: |SUMMARY: |runtime error:' "$log" | head -5 || true
  fi
  echo "$line"
  summary+=("$line")
done
echo "--- fuzz summary"
printf '%s\n' "${summary[@]}"
exit $failed
