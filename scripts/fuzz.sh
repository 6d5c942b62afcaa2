#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (and AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 60)
# Each starts from its seed corpus in tests/fuzz/corpus; a finding stops the
# script with the crashing input saved under build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKIVREL_FUZZ=ON -DKIVREL_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

for target in line_transform leading_number parameter_file conversion; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/$target/* "$corpus/"
  log=build-fuzz/$target.log
  if ! (cd build-fuzz && "./fuzz_$target" "corpus/$target" -max_total_time="$seconds" \
          -print_final_stats=1 -artifact_prefix="$target-" >"$target.log" 2>&1); then
    tail -n 40 "$log"
    echo "fuzz_$target: FINDING (input saved in build-fuzz/$target-*)"
    exit 1
  fi
  runs=$(grep -oP 'stat::number_of_executed_units:\s*\K[0-9]+' "$log" || echo "?")
  echo "fuzz_$target: $runs executions in ${seconds} s, no finding"
done
