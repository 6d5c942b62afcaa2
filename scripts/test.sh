#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# The benchmarks still run (a small program, one run each; no timing is judged).
bench/run.sh --smoke
build/kivrel_micro_benchmarks --benchmark_min_time=0.01 >/dev/null

cd build
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
