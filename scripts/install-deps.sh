#!/usr/bin/env bash
# Installs the Debian packages a command needs, if any is missing:
#   scripts/install-deps.sh --build [PACKAGE...]     building and running the programs
#   scripts/install-deps.sh --install [PACKAGE...]   that, and installing them
#   scripts/install-deps.sh [PACKAGE...]             that, and everything the tests use
# with the further packages a script names. A package counts as installed once
# dpkg has configured it, also while its triggers are still to run. While
# another apt or dpkg run holds the package lock, this waits for it to end.
set -euo pipefail

# Building and running: the compiler, CMake, Qt 6, and the fonts of the windows.
build=(cmake make g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation)
# Installing: the desktop entry's and the man page's tools.
install=(desktop-file-utils man-db)
# The tests, the fuzzers, the benchmarks, the Windows and aarch64 builds and
# their runs under wine and qemu, the Debian packages' tools, and the static
# checks (scripts/lint.sh).
packages=(clang clang-tidy clang-format libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev time valgrind libqt6test6 linuxcnc-uspace g++-mingw-w64-x86-64-posix googletest wine64 xvfb xauth librsvg2-bin icoutils libxml2-utils g++-aarch64-linux-gnu qemu-user dpkg-dev)

case "${1:-}" in
  --build) shift; packages=("${build[@]}") ;;
  --install) shift; packages=("${build[@]}" "${install[@]}") ;;
  *) packages=("${build[@]}" "${install[@]}" "${packages[@]}") ;;
esac
packages+=("$@")  # extra packages a script asks for

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -qE "^install ok (installed|triggers-pending|triggers-awaited)$"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# apt-get, which fails at once (status 100) while another run holds a lock it
# needs: then this says so and tries again every few seconds, for up to
# 20 minutes.
apt_get() {
  local log status holder waited=0
  log=$(mktemp)
  while :; do
    status=0
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get "$@" 2>"$log" || status=$?
    if [ $status -ne 0 ] && [ $waited -lt 1200 ] &&
        grep -qE "Could not get lock|Unable to lock|Unable to acquire the dpkg frontend lock" "$log"; then
      if [ $waited -eq 0 ]; then
        holder=$(grep -oE "held by process [0-9]+( \([^)]*\))?" "$log" | head -n 1 || true)
        echo "Another package run holds the package lock${holder:+ ($holder)}: waiting for it to end..." >&2
      fi
      sleep 5
      waited=$((waited + 5))
      continue
    fi
    cat "$log" >&2
    rm -f "$log"
    [ $waited -eq 0 ] || [ $status -ne 0 ] || echo "The other package run has ended." >&2
    return $status
  done
}

echo "Installing: ${missing[*]}"
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
