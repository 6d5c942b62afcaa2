#!/usr/bin/env bash
# Installs into a temporary prefix and uses the installed program through its
# link, uninstalls, refuses a prefix that cannot be written, and builds both
# release archives and runs the unpacked Linux one. Part of scripts/test.sh --full.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "test-install: $*" >&2; exit 1; }
program=$'G1 X1.5 Y2 F100\r\n'
converted=$'G1 X1.5000 Y2.0000 F100.0000\r\n(Finished Kivrel)'

prefix="$work/prefix"
# Over an earlier install, whose GUI module had another name.
mkdir -p "$prefix/lib/kivrel"
touch "$prefix/lib/kivrel/kivrel-windows.so"
scripts/install.sh "$prefix" >/dev/null
[ ! -e "$prefix/lib/kivrel/kivrel-windows.so" ] || fail "the earlier install's GUI module is left"
desktop-file-validate "$prefix/share/applications/kivrel-settings.desktop" || fail "the desktop entry does not validate"
grep -qx "Exec=\"$prefix/bin/kivrel\" SETUP" "$prefix/share/applications/kivrel-settings.desktop" || fail "the entry runs no kivrel SETUP"
man -l "$prefix/share/man/man1/kivrel.1" 2>/dev/null | grep -q "kivrel-filter" || fail "the man page does not render"
[ -f "$prefix/share/icons/hicolor/scalable/apps/kivrel.svg" ] || fail "no icon"

# Through the link on the PATH: the files land beside the real program.
mkdir "$work/jobs"
printf '%s' "$program" >"$work/jobs/part.nc"
(cd "$work/jobs" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$prefix/bin:$PATH" kivrel "$work/jobs/part.nc" 2>/dev/null)
[ "$(tail -c ${#converted} "$work/jobs/part.pr1")" = "$converted" ] || fail "the installed program converted otherwise"
[ -f "$prefix/lib/kivrel/prepre.res" ] && [ -f "$prefix/lib/kivrel/kivrel.prm" ] || fail "the files are not in $prefix/lib/kivrel"
[ ! -e "$prefix/bin/prepre.res" ] || fail "a result file beside the link"

scripts/install.sh --uninstall "$prefix" | grep -q "$prefix/lib/kivrel/kivrel.prm" || fail "uninstalling says nothing of the settings"
# What is left besides the settings are the desktop and man databases,
# refreshed for the prefix.
left=$(cd "$prefix" && find . \( -type f -o -type l \) ! -name mimeinfo.cache ! -name index.db | sort | tr '\n' ' ')
[ "$left" = "./lib/kivrel/kivrel.prm " ] || fail "uninstalling left: $left"

if scripts/install.sh /proc/kivrel-test >/dev/null 2>&1; then fail "a prefix that cannot be written was accepted"; fi

scripts/package.sh >/dev/null
(cd dist && sha256sum -c --quiet SHA256SUMS) || fail "the checksums do not hold"
mkdir "$work/unpacked"
tar -C "$work/unpacked" -xzf dist/kivrel-*-linux-x86_64.tar.gz
folder=$(echo "$work/unpacked"/kivrel-*-linux-x86_64)
printf '%s' "$program" >"$work/jobs/other.nc"
env -u DISPLAY -u WAYLAND_DISPLAY "$folder/kivrel" "$work/jobs/other.nc" 2>/dev/null
[ "$(tail -c ${#converted} "$work/jobs/other.pr1")" = "$converted" ] || fail "the unpacked program converted otherwise"
[ -f "$folder/README.md" ] && [ -f "$folder/kivrel.1" ] || fail "the Linux archive lacks the README or the man page"
listing=$(cmake -E tar tf dist/kivrel-*-windows-x86_64.zip | sort | tr '\n' ' ')
[ "$listing" = "README.txt kivrel-filter.exe kivrel.exe " ] || fail "the zip holds: $listing"
echo "test-install: install, link start, uninstall, refusal and both archives as they should be"
