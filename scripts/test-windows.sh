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

# Both executables are self-contained: they import Windows' own DLLs only.
# kivrel.exe is a GUI-subsystem program (no console window), the filter a
# console program.
check_pe() {
  local file=$1 subsystem=$2 headers
  headers=$(x86_64-w64-mingw32-objdump -p "build-windows/$file")
  grep -q "Subsystem.*($subsystem)" <<<"$headers" || { echo "$file: not a $subsystem program" >&2; exit 1; }
  local foreign
  foreign=$(grep -oP 'DLL Name: \K\S+' <<<"$headers" |
    grep -viE '^(kernel32|user32|gdi32|comctl32|msvcrt|advapi32|shell32|ole32)\.dll$' || true)
  [ -z "$foreign" ] || { echo "$file imports DLLs Windows does not have: $foreign" >&2; exit 1; }
  echo "$file: $subsystem, imports $(grep -oP 'DLL Name: \K\S+' <<<"$headers" | tr '\n' ' ')"
}
check_pe kivrel.exe "Windows GUI"
check_pe kivrel-filter.exe "Windows CUI"

server -k; server -w
env -u DISPLAY -u WAYLAND_DISPLAY "$0" --session -LE display
server -k; server -w
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --session -L display
