#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test: the normal build, the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, the conversion engine's tests built with
# ThreadSanitizer, a short run of each fuzzer, a smoke run of the
# benchmarks (no timing is judged), the line scan's plain C++ against the
# same tests, the aarch64 build's suites under qemu, the Windows build's
# suites under wine, and an install into a temporary prefix with the release
# archives.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
scripts/install-deps.sh
scripts/build.sh
# The normal build's tests first: a fault shows in minutes.
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -DKIVREL_WERROR=ON -DKIVREL_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$jobs" >/dev/null
(cd build-asan && ctest --output-on-failure -j "$jobs")

# The engine's threads: any data race fails the run.
cmake -S . -B build-tsan -DKIVREL_WERROR=ON -DKIVREL_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target kivrel_unit_tests >/dev/null
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/kivrel_unit_tests --gtest_filter='ChunkedConversion.*:ProcessText.*'

# The line scan in plain C++, as processors without SSE2 run it, held to the
# same bytes: one line at a time against the plain rules, and chunked against
# one line at a time.
cmake -S . -B build-portable -DKIVREL_WERROR=ON -DKIVREL_PORTABLE_SCAN=ON >/dev/null
cmake --build build-portable -j "$jobs" --target kivrel_unit_tests >/dev/null
build-portable/tests/kivrel_unit_tests --gtest_filter='LineTransform.*:ChunkedConversion.*'

# The aarch64 build's unit and end-to-end suites, under qemu.
scripts/test-aarch64.sh

scripts/fuzz.sh "${KIVREL_FUZZ_SECONDS:-30}"

bench/run.sh --smoke
build/kivrel_micro_benchmarks --benchmark_min_time=0.01 >/dev/null

# The Windows build, its suites run under wine.
scripts/test-windows.sh

# Installing, uninstalling and the release archives.
scripts/test-install.sh
