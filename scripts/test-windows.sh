#!/usr/bin/env bash
# Builds the Windows executables and test suites with mingw-w64, checks what
# the executables carry (imports, version, icon, manifest) and runs the
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

# Both carry what Explorer and Windows read from the file: the version
# resource, with the numbers of the project's version (file version 4.0.0.1
# for 4.0.1), the icon in 16 to 256 pixels, and a well-formed manifest that
# declares long paths, the DPI awareness and the supported Windows versions.
version=$(grep -oP '^project\(kivrel VERSION \K[0-9]+\.[0-9]+\.[0-9]+' CMakeLists.txt)
IFS=. read -r major minor patch <<<"$version"
# A version word pair (most significant first) as the bytes of the file.
hex_words() { printf '%02x%02x%02x%02x' $(($2 & 255)) $(($2 >> 8)) $(($1 & 255)) $(($1 >> 8)); }
fail() { echo "$1: $2" >&2; exit 1; }
check_resources() {
  local file=build-windows/$1 strings icon sizes manifest
  # The strings of the version resource, each key's value on the line after it.
  strings=$(wrestool -x -R -t16 "$file" | iconv -f UTF-16LE -t UTF-8 | tr '\0' '\n' | grep -av '^$') ||
    fail "$1" "no version resource"
  value() { awk -v key="$1" 'found { print; exit } $0 ~ key "$" { found = 1 }' <<<"$strings"; }
  [ "$(value FileDescription)" = "Kivrel G-code pre-processor" ] || fail "$1" "description: $(value FileDescription)"
  [ "$(value ProductName)" = Kivrel ] || fail "$1" "product name: $(value ProductName)"
  [ "$(value FileVersion)" = "$major.$minor.0.$patch" ] || fail "$1" "file version: $(value FileVersion)"
  [ "$(value ProductVersion)" = "$version" ] || fail "$1" "product version: $(value ProductVersion)"
  [ "$(value OriginalFilename)" = "$1" ] || fail "$1" "file name: $(value OriginalFilename)"
  # The numbers Explorer shows: after the signature and the structure
  # version, the file version and then the product version.
  wrestool -x -R -t16 "$file" | od -An -v -tx1 | tr -d ' \n' |
    grep -q "bd04effe.\{8\}$(hex_words "$major" "$minor")$(hex_words 0 "$patch")$(hex_words "$major" "$minor")$(hex_words "$patch" 0)" ||
    fail "$1" "the version numbers are not $major.$minor.0.$patch and $version"
  icon=$(mktemp)  # icotool reads a PNG picture only from a file
  wrestool -x -t14 "$file" >"$icon"
  sizes=$(icotool -l "$icon" | grep -oP -- '--width=\K[0-9]+' | sort -n | tr '\n' ' ')
  rm -f "$icon"
  for size in 16 32 48 256; do
    grep -qw "$size" <<<"$sizes" || fail "$1" "no icon of $size pixels (has: $sizes)"
  done
  manifest=$(wrestool -x -R -t24 "$file") || fail "$1" "no manifest"
  [ -n "$manifest" ] || fail "$1" "no manifest"
  xmllint --noout - <<<"$manifest" || fail "$1" "the manifest is not well-formed XML"
  grep -qP '<longPathAware[^>]*>true</longPathAware>' <<<"$manifest" || fail "$1" "not long-path aware"
  grep -qP '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest" || fail "$1" "not DPI-aware"
  grep -q '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' <<<"$manifest" || fail "$1" "Windows 10 not supported"
  echo "$1: version $major.$minor.0.$patch ($version), icons of ${sizes% } pixels, manifest"
}
check_resources kivrel.exe
check_resources kivrel-filter.exe

server -k; server -w
env -u DISPLAY -u WAYLAND_DISPLAY "$0" --session -LE display
server -k; server -w
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --session -L display
