#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang with ASan+UBSan) and runs each for SECONDS seconds
# (default 60) on its working corpus build-fuzz/corpus/<target>/, started from the committed
# seeds in fuzz/corpus/<target>/. With -j N, N targets run at the same time (default 1: one
# after the other). Prints executions and findings per target; exits 1 when a target found
# something (the crashing inputs of the last run are kept in build-fuzz/findings/<target>/,
# the grown corpus in build-fuzz/corpus/).
#   scripts/fuzz.sh [-j N] [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=1
if [ "${1:-}" = "-j" ]; then
  jobs=${2:?"-j needs a number"}
  shift 2
fi
case "$jobs" in '' | *[!0-9]* | 0) echo "fuzz.sh: -j needs a positive number" >&2; exit 2 ;; esac
seconds=${1:-60}
shift || true
all=(compile run plp pictures sdf rules)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
build=${KORVO_FUZZ_BUILD:-build-fuzz}
declare -A dict=([compile]=il [run]=il [plp]=plp [pictures]=pictures [sdf]=sdf [rules]=rules)
for t in "${targets[@]}"; do
  [ -n "${dict[$t]:-}" ] || { echo "fuzz.sh: unknown target '$t' (known: ${all[*]})" >&2; exit 2; }
done

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
for t in "${targets[@]}"; do rm -f "$build/fuzz_$t.result"; done


# Runs one target; writes its summary line to $build/fuzz_<target>.result.
run_target() {
  local t=$1
  local corpus="$build/corpus/$t" findings="$build/findings/$t" log="$build/fuzz_$t.log"
  rm -rf "$findings"
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  local rc=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/bin/fuzz_$t" "$corpus" -dict=fuzz/dict/"${dict[$t]}".dict -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" \
      >"$log" 2>&1 || rc=$?
  local execs found line
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -1)
  [ -n "$execs" ] || execs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  found=$(find "$findings" -type f | wc -l)
  line="fuzz_$t: ${execs:-0} executions in ${seconds}s, $found finding(s)"
  if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
    line="$line (exit $rc, log $log)"
    grep -E 'ERROR: |SUMMARY: |runtime error:' "$log" | head -5 || true
  fi
  echo "$line"
  echo "$line" >"$build/fuzz_$t.result"
}

running=0
for t in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$t" &
  running=$((running + 1))
done
wait || true

echo "--- fuzz summary"
failed=0
for t in "${targets[@]}"; do
  line=$(cat "$build/fuzz_$t.result" 2>/dev/null || echo "fuzz_$t: did not finish")
  echo "$line"
  case "$line" in *" 0 finding(s)") ;; *) failed=1 ;; esac
done
exit $failed
