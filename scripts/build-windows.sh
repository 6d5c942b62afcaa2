#!/usr/bin/env bash
# Installs what is missing and cross-builds the Windows executables with
# mingw-w64 into build-windows/: kivrel.exe (GUI subsystem, native windows)
# and kivrel-filter.exe (console), both self-contained, and the test suites.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DKIVREL_WERROR=ON >/dev/null
cmake --build build-windows -j "$(nproc 2>/dev/null || echo 2)"
