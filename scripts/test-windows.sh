#!/usr/bin/env bash
# Builds the Windows executables and test suites with mingw-w64 and runs the
# suites under wine: first every test that needs no display, with none (a
# start must then behave as the console does), then the native windows' tests
# on a virtual display. The display belongs to the whole wine session, so each
# run has a session of its own, begun under the display it is to have and
# kept up while the run lasts (a session that ended between two tests would
# cut off the next one's start).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export KIVREL_WINEPREFIX="${KIVREL_WINEPREFIX:-${HOME:-/tmp}/.wine-kivrel}"
server() { WINEPREFIX="$KIVREL_WINEPREFIX" /usr/lib/wine/wineserver64 "$@" || true; }
trap 'server -k' EXIT

if [ "${1:-}" = --session ]; then  # one run, inside the display it is to have
  shift
  server -p
  scripts/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 || true
  cd build-windows
  status=0
  ctest --output-on-failure -j "$jobs" "$@" || status=$?
  # What was skipped on Windows, and why.
  grep -h -A1 "Skipped$" Testing/Temporary/LastTest.log | grep -v "^--$" || true
  exit $status
fi

scripts/build-windows.sh >/dev/null
server -k; server -w
env -u DISPLAY -u WAYLAND_DISPLAY "$0" --session -LE display
server -k; server -w
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --session -L display
