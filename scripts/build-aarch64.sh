#!/usr/bin/env bash
# Installs what is missing and cross-builds Kivrel for 64-bit ARM Linux (a
# Raspberry Pi, say) with Debian's g++-aarch64-linux-gnu into build-aarch64/:
# kivrel and kivrel-filter on the console platform (no GUI module: Qt is
# not built for that processor here) and the unit and end-to-end suites,
# which scripts/test.sh --full runs under qemu-aarch64.
#   scripts/build-aarch64.sh [--programs]     --programs: without the suites
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(kivrel kivrel-filter kivrel_unit_tests kivrel_e2e_tests)
[ "${1:-}" = --programs ] && targets=(kivrel kivrel-filter)
scripts/install-deps.sh --build g++-aarch64-linux-gnu googletest
cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" \
  -DKIVREL_WERROR=ON -DKIVREL_QT=OFF >/dev/null
cmake --build build-aarch64 -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
