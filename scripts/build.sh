#!/usr/bin/env bash
# Configures and builds everything into build/ (the program lands at build/kivrel).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DKIVREL_WERROR=ON >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
