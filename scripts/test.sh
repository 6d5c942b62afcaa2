#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the tests:
#   scripts/test.sh          for everyday work: every suite of the normal build
#                            but the slow ones (ctest label "slow": LinuxCNC's
#                            samples under every setting)
#   scripts/test.sh --full   everything, as CI runs it: the normal build's
#                            suites, the same built with AddressSanitizer and
#                            UndefinedBehaviorSanitizer (without the
#                            interpreter's suites), the conversion engine's
#                            tests built with ThreadSanitizer, the line scan's
#                            plain C++ against the same tests, the aarch64
#                            build's suites under qemu, the Windows build's
#                            suites under wine, a short run of each fuzzer, a
#                            smoke run of the benchmarks (no timing is judged),
#                            an install into a temporary prefix with the
#                            release archives, and the static checks of the
#                            C++ files that the last commit changed
#                            (scripts/lint.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
full=0
case "${1:-}" in
  "") ;;
  --full) full=1 ;;
  *) echo "usage: scripts/test.sh [--full]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
scripts/build.sh
if [ $full -eq 0 ]; then
  (cd build && ctest --output-on-failure -j "$jobs" -LE slow)
  exit 0
fi
# The normal build's tests first: a fault shows in minutes.
(cd build && ctest --output-on-failure -j "$jobs")

# clang-tidy and clang-format on what changed, with the normal build's
# compile_commands.json.
scripts/lint.sh

# The interpreter's suites judge what the programs write, which the normal
# build has shown already; under the sanitizers they would only take long.
cmake -S . -B build-asan -DKIVREL_WERROR=ON -DKIVREL_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$jobs" >/dev/null
(cd build-asan && ctest --output-on-failure -j "$jobs" -LE interop)

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

# The Windows build, its suites run under wine; built here once, before the
# benchmarks' smoke run, which runs it too.
scripts/test-windows.sh

scripts/fuzz.sh "${KIVREL_FUZZ_SECONDS:-30}"

bench/run.sh --smoke
build/kivrel_micro_benchmarks --benchmark_min_time=0.01 >/dev/null

# Installing, uninstalling and the release archives.
scripts/test-install.sh
