#!/usr/bin/env bash
# Line coverage of src/ by the tests: builds build-coverage/ with gcc's
# --coverage, runs the suites there and prints the lines of src/ that ran
# out of all the lines of src/ that were built (the Windows sources are not
# built on Linux, so they are not counted).
#   scripts/coverage.sh          every suite but the slow ones (ctest -LE slow)
#   scripts/coverage.sh --all    every suite
# The report per file is left in build-coverage/coverage.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
labels=(-LE slow)
case "${1:-}" in
  "") ;;
  --all) labels=() ;;
  *) echo "usage: scripts/coverage.sh [--all]" >&2; exit 2 ;;
esac
scripts/install-deps.sh gcovr

build=build-coverage
# Unoptimised, so that each line executed is counted on its own line;
# NDEBUG as in the normal build, so that the same code is measured.
cmake -S . -B "$build" -DKIVREL_TESTS=ON -DCMAKE_BUILD_TYPE=Coverage \
  -DCMAKE_CXX_FLAGS_COVERAGE="-O0 -g -DNDEBUG --coverage" \
  -DCMAKE_EXE_LINKER_FLAGS_COVERAGE=--coverage -DCMAKE_SHARED_LINKER_FLAGS_COVERAGE=--coverage \
  -DCMAKE_MODULE_LINKER_FLAGS_COVERAGE=--coverage >/dev/null
# The programs and the test suites; not the benchmarks nor the screenshot tools.
cmake --build "$build" -j "$jobs" --target kivrel kivrel-filter kivrel_gui kivrel_unit_tests \
  kivrel_e2e_tests kivrel_allocation_tests kivrel_gui_tests kivrel_interop_tests

# Counts of an earlier run would be added to this one's. A test that runs
# the programs as another user (RunBoundByPermissions) cannot write the
# counts of that run, and libgcov says so on standard error, which such a
# test then finds there: FilterE2E.ParameterFileItMayNotReadFailsTheFilter
# fails under coverage for that reason alone.
find "$build" -name '*.gcda' -delete
status=0
(cd "$build" && ctest -j "$jobs" "${labels[@]}" --output-on-failure >ctest.log 2>&1) || status=$?
tail -n 3 "$build/ctest.log"
[ $status -eq 0 ] || echo "coverage: some tests failed (see $build/ctest.log); the figure counts what ran" >&2

# Counts updated by several threads at once can come out negative in gcov's
# report of a branch; such lines are skipped rather than ending the report.
gcovr --root . --filter 'src/' --object-directory "$build" --gcov-ignore-parse-errors \
  --output "$build/coverage.txt" "$build" >/dev/null
read -r _ lines executed _ < <(grep '^TOTAL' "$build/coverage.txt")
awk -v e="$executed" -v l="$lines" 'BEGIN { printf "line coverage of src/: %d of %d lines (%.2f%%)\n", e, l, 100 * e / l }'
exit $status
