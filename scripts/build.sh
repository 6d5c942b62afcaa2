#!/usr/bin/env bash
# Configures and builds into build/ (the program lands at build/kivrel):
#   scripts/build.sh              everything: the programs, the tests, the
#                                 benchmarks and the screenshot tools
#   scripts/build.sh --programs   kivrel, kivrel-filter and the GUI module
# The programs alone need the compiler, CMake and Qt 6 (scripts/install-deps.sh
# --build); everything needs what scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = --programs ]; then
  # A new build folder is set up without the tests, so that nothing they are
  # built with (GoogleTest, Google Benchmark, Qt Test) is looked for; one set
  # up with them stays so.
  options=()
  [ -f build/CMakeCache.txt ] || options=(-DKIVREL_TESTS=OFF)
  cmake -S . -B build -DKIVREL_WERROR=ON "${options[@]}" >/dev/null
  cmake --build build -j "$jobs" --target kivrel kivrel-filter
  exit 0
fi
cmake -S . -B build -DKIVREL_WERROR=ON -DKIVREL_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
