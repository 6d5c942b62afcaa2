#!/usr/bin/env bash
# Cross-builds for 64-bit ARM (scripts/build-aarch64.sh) and runs the unit and
# end-to-end suites under qemu-aarch64 -L /usr/aarch64-linux-gnu (Debian's
# qemu-user); arguments go to each suite (--gtest_filter=..., say). Part of
# scripts/test.sh --full.
#
# The suites start the programs they test, which are aarch64 programs too.
# So they run as root in a user and mount namespace of their own, whose
# binfmt_misc (Linux gives each user namespace one since 6.7) hands aarch64
# programs to qemu-aarch64; the machine's own binfmt_misc is left as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
suites=(kivrel_unit_tests kivrel_e2e_tests)

if [ "${1:-}" = --inside ]; then  # in the namespace
  shift
  if ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
    echo "test-aarch64: this kernel gives a user namespace no binfmt_misc of its own (Linux 6.7 and later do)," >&2
    echo "so the end-to-end suite could not start the aarch64 programs" >&2
    exit 1
  fi
  # An ELF file for aarch64 (class, byte order, version and machine). "F"
  # opens qemu now, so that it is found whatever the program's folder.
  echo ':kivrel-aarch64:M::\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-aarch64)"':F' \
    >/proc/sys/fs/binfmt_misc/register
  export QEMU_LD_PREFIX=/usr/aarch64-linux-gnu  # for the programs the suites start
  status=0
  for suite in "${suites[@]}"; do
    echo "== $suite (aarch64, under qemu)"
    # The console platform has no GUI module: none whose loading a
    # windowed start could show, and no message box that holds a run until
    # it is interrupted.
    skip=()
    [ "$suite" = kivrel_e2e_tests ] &&
      skip=(--gtest_filter=-ConversionE2E.HeadlessStartDoesNotLoadTheWindowSystem:HostileE2E.InterruptedRunLeavesNoTemporaryFile)
    qemu-aarch64 -L /usr/aarch64-linux-gnu "build-aarch64/tests/$suite" "${skip[@]}" "$@" || status=1
  done
  exit $status
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "test-aarch64: the suites run in a namespace that only root can give this machine's users; run as root" >&2
  exit 1
fi
scripts/install-deps.sh --build g++-aarch64-linux-gnu googletest qemu-user
scripts/build-aarch64.sh >/dev/null

# The namespace maps this machine's users 0 to 65535 to themselves, so that
# the tests that run a program as nobody can. It waits for its map before it
# goes on.
fifo=$(mktemp -u)
mkfifo "$fifo"
trap 'rm -f "$fifo"' EXIT
unshare --user --mount -- bash -c 'read -r _ <"$0"; exec "$@"' "$fifo" "$0" --inside "$@" &
inside=$!
while [ "$(readlink "/proc/$inside/ns/user")" = "$(readlink /proc/self/ns/user)" ]; do sleep 0.05; done
echo "0 0 65536" >"/proc/$inside/uid_map"
echo "0 0 65536" >"/proc/$inside/gid_map"
echo go >"$fifo"
wait "$inside"
