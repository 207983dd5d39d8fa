#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 60)
# from the committed seed corpus. Fails on any finding; the crashing input is left in
# the scratch directory it names. Where clang cannot build them it skips, saying so,
# except under CI=true, where a missing fuzzer is a failure.
#
# FUZZ_SEED fixes libFuzzer's random seed. CI runs with seed 1, so that a commit's CI
# run repeats the inputs its author ran before pushing (FUZZ_SEED=1 with at least as
# many seconds); without it each run explores afresh, and what it finds joins the
# corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-$root/build-fuzz}
seed=${FUZZ_SEED:-}
if [ -z "$seed" ] && [ "${CI:-}" = true ]; then
  seed=1
fi
seed_option=()
if [ -n "$seed" ]; then
  seed_option=(-seed="$seed")
fi

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null ||
  ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "fuzz: clang++ with libFuzzer is not available; CI needs it (clang, libclang-rt-14-dev)"
    exit 1
  fi
  echo "fuzz: clang++ with libFuzzer is not available here; fuzzing skipped"
  exit 0
fi

cmake -S "$root" -B "$build" -DQUORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 >/dev/null

total=0
for target in sequence_reader run svg_plot structure_reader series_command measured_reader; do
  work=$(mktemp -d)
  mkdir -p "$work/corpus" "$work/artifacts"
  log=$work/log
  status=0
  "$build/fuzz/${target}_fuzz" "${seed_option[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    "$work/corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  total=$((total + ${runs:-0}))
  if [ "$status" -ne 0 ]; then
    tail -40 "$log"
    echo "fuzz: ${target}_fuzz found a fault; the input is in $work/artifacts"
    exit 1
  fi
  echo "fuzz: ${target}_fuzz ran ${runs:-0} inputs in ${seconds} s${seed:+ from seed $seed}, no finding"
  rm -rf "$work"
done
echo "fuzz: ${total} inputs in all"
