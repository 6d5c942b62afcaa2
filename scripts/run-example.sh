#!/usr/bin/env bash
# Installs what building and running need if it is missing, builds the
# programs, and converts the shipped example program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --build
scripts/build.sh --programs

mkdir -p build/example
cp examples/part.nc build/example/part.nc
status=0
build/kivrel "$PWD/build/example/part.nc" || status=$?

echo
echo "Exit status:     $status"
echo "Parameter file:  $PWD/build/kivrel.prm"
echo "Output file:     $PWD/build/example/part.pr1"
echo "Result file:     $PWD/build/prepre.res"
echo
echo "--- part.pr1 ---"
cat build/example/part.pr1 | tr -d '\r'
echo
echo "--- prepre.res ---"
tr -d '\r' < build/prepre.res
exit "$status"
