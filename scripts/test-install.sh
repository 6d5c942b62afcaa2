#!/usr/bin/env bash
# Installs into a temporary prefix and uses the installed program through its
# link, uninstalls, refuses a prefix that cannot be written, builds the
# release archives and runs the unpacked Linux one, and installs the amd64
# Debian package with apt (as root, or through sudo: without either this
# fails), converts the example through it, removes and purges it. The arm64
# package's programs run under qemu. Part of scripts/test.sh --full.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "test-install: $*" >&2; exit 1; }
# The Debian package is installed as root, or through sudo.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || fail "installing the Debian package takes root or sudo without a password; neither is there"
  as_root=(sudo)
fi
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

# The Debian packages.
version=$(grep -oP 'project\(kivrel VERSION \K[0-9.]+' CMakeLists.txt)
amd64="$PWD/dist/kivrel_${version}_amd64.deb"
arm64="$PWD/dist/kivrel_${version}_arm64.deb"
apt_get() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=1200 "$@" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get $* failed"; }; }
state() { dpkg-query -W -f='${db:Status-Status}' kivrel 2>/dev/null || true; }

# The example's conversion with the default settings, whole.
expected=("(Kivrel Version $version)" "(YScale:1.0000000 )" "(XScale:1.0000000 )" "(ZScale:1.0000000 )"
  "(AScale:1.0000000 )" "(FeedScale:1.0000000 )" "(XYexchange:OFF )" "(FeedAdd:0.0000000 )" "(SpindleRPM:0. )"
  "%" "(POCKET 40 X 25, 6 MM END MILL)" "(UNITS: INCHES)" "G20 G90 G17" "T1 M06" "M03 S2400" "G00 Z0.2500"
  "G00 X0.1000 Y0.1000" "G01 Z-0.0500 F12.0000" "G01 X1.4750 F24.0000 (FIRST PASS)" "G01 Y0.8840"
  "G02 X1.3750 Y0.9840 I-0.1000 J0.0000" "G01 X0.2000" "G03 X0.1000 Y0.8840 I0.0000 J-0.1000" "G01 Y0.1000"
  "/M00 (OPTIONAL STOP: CHECK DEPTH)" "G00 Z0.2500" "M05" "M30" "%")
printf '%s\r\n' "${expected[@]}" >"$work/part.expected"
printf '(Finished Kivrel)' >>"$work/part.expected"
# Converts a fresh copy of the example in FOLDER with COMMAND (which ends
# with the program) and compares the output whole.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY)
convert_example() {  # FOLDER COMMAND...
  local folder=$1
  shift
  rm -f "$folder/part.pr1"
  cp examples/part.nc "$folder/part.nc"
  (cd / && "$@" "$folder/part.nc" 2>/dev/null) || fail "$* failed on the example"
  cmp -s "$folder/part.pr1" "$work/part.expected" || fail "$* converted the example otherwise"
}

# What each package holds. Every library a program or the GUI module needs
# comes from a package its Depends name (the arm64 ones judged by the cross
# compiler's copies, whose packages' names end in -arm64-cross).
listing() { dpkg-deb --fsys-tarfile "$1" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' | sort | tr '\n' ' '; }
common="/usr /usr/bin /usr/bin/kivrel /usr/bin/kivrel-filter /usr/lib /usr/lib/kivrel /usr/lib/kivrel/kivrel
  /usr/lib/kivrel/kivrel-filter /usr/share /usr/share/doc /usr/share/doc/kivrel /usr/share/doc/kivrel/README.md.gz
  /usr/share/doc/kivrel/changelog.gz /usr/share/doc/kivrel/copyright /usr/share/man /usr/share/man/man1
  /usr/share/man/man1/kivrel-filter.1.gz /usr/share/man/man1/kivrel.1.gz"
windows="/usr/lib/kivrel/kivrel-gui.so /usr/share/applications /usr/share/applications/kivrel-settings.desktop
  /usr/share/icons /usr/share/icons/hicolor /usr/share/icons/hicolor/scalable /usr/share/icons/hicolor/scalable/apps
  /usr/share/icons/hicolor/scalable/apps/kivrel.svg"
sorted() { echo "$@" | tr -s ' \n' '\n\n' | sort | tr '\n' ' '; }
want=$(sorted $common $windows)
[ "$(listing "$amd64")" = "$want" ] || fail "the amd64 package holds: $(listing "$amd64")"
want=$(sorted $common)
[ "$(listing "$arm64")" = "$want" ] || fail "the arm64 package holds: $(listing "$arm64")"
mkdir "$work/amd64" "$work/arm64"
dpkg-deb -x "$amd64" "$work/amd64"
dpkg-deb -x "$arm64" "$work/arm64"
needs_declared() {  # PACKAGE LIBRARY-FOLDER FILE...
  local deb=$1 folder=$2 depends libraries library owner
  shift 2
  depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/ //g')
  libraries=$(objdump -p "$@" | awk '$1 == "NEEDED" { print $2 }' | sort -u)
  [ -n "$libraries" ] || fail "objdump finds no library that $* need"
  for library in $libraries; do
    # Debian 12's dpkg knows some libraries under /lib, some under /usr/lib.
    owner=$( (dpkg -S "$folder/$library" || dpkg -S "${folder#/usr}/$library") 2>/dev/null |
      cut -d: -f1 | sed 's/-arm64-cross$//') || fail "no package holds $folder/$library"
    grep -qx "$owner" <<<"$depends" || fail "$deb needs $library of $owner, which its Depends do not name"
  done
}
needs_declared "$amd64" /usr/lib/x86_64-linux-gnu "$work/amd64/usr/lib/kivrel/"{kivrel,kivrel-filter,kivrel-gui.so}
needs_declared "$arm64" /usr/aarch64-linux-gnu/lib "$work/arm64/usr/lib/kivrel/"{kivrel,kivrel-filter}
for name in qt6-qpa-plugins adduser; do
  dpkg-deb -f "$amd64" Depends | grep -qw "$name" || fail "the amd64 package does not depend on $name"
done
for program in kivrel kivrel-filter; do
  machine=$(readelf -h "$work/arm64/usr/lib/kivrel/$program" | sed -n 's/^ *Machine: *//p')
  [ "$machine" = AArch64 ] || fail "the arm64 package's $program is built for $machine"
done
[ "$(dpkg-deb -f "$arm64" Architecture)" = arm64 ] || fail "the arm64 package says $(dpkg-deb -f "$arm64" Architecture)"
convert_example "$work/jobs" "${headless[@]}" qemu-aarch64 -L /usr/aarch64-linux-gnu "$work/arm64/usr/lib/kivrel/kivrel"

# Installed with apt as CI installs it, over the package of an earlier run.
if [ -n "$(state)" ] && [ "$(state)" != not-installed ]; then apt_get purge kivrel; fi
scan() { { find /usr /etc /var -xdev -name '*kivrel*' 2>/dev/null || true; } | sort; }
before=$(scan)
apt_get install "$amd64"
[ "$(state)" = installed ] || fail "apt left the package $(state)"
[ "$(stat -c '%U %G %a' /usr/lib/kivrel)" = "root kivrel 2775" ] || fail "the program folder is $(stat -c '%U %G %a' /usr/lib/kivrel)"
grep -qx 'Exec="/usr/bin/kivrel" SETUP' /usr/share/applications/kivrel-settings.desktop || fail "the entry runs no /usr/bin/kivrel SETUP"
desktop-file-validate /usr/share/applications/kivrel-settings.desktop || fail "the installed entry does not validate"
# kivrel-filter's page is a link to kivrel's.
[ "$(man -w kivrel-filter)" = /usr/share/man/man1/kivrel.1.gz ] || fail "man finds no kivrel-filter page"
convert_example "$work/jobs" "${as_root[@]}" "${headless[@]}" /usr/bin/kivrel
printf 'kivrel.pre\r\nversion:4\r\n%s\r\n0\r\n\r\n' "$work/jobs/part.pr1" | cmp -s - /usr/lib/kivrel/prepre.res ||
  fail "the installed program's result file differs"

# A member of the group kivrel (nobody, here) runs it too, over root's
# files; anyone else (daemon) is refused with status 3, converting nothing.
chmod 755 "$work"
mkdir "$work/others"
chmod 1777 "$work/others"
convert_example "$work/others" "${as_root[@]}" "${headless[@]}" setpriv --reuid=nobody --regid=nogroup --groups=kivrel /usr/bin/kivrel
[ "$(stat -c %U /usr/lib/kivrel/prepre.res)" = nobody ] || fail "the member's start left root's result file"
rm -f "$work/others/part.pr1"
status=0
(cd / && "${as_root[@]}" "${headless[@]}" setpriv --reuid=daemon --regid=daemon --clear-groups \
  /usr/bin/kivrel "$work/others/part.nc" 2>/dev/null) || status=$?
[ $status -eq 3 ] && [ ! -e "$work/others/part.pr1" ] || fail "a user outside the group kivrel got status $status"

# Removing keeps the settings in /var/lib/kivrel, and installing again puts
# them back; purging leaves nothing named after Kivrel but the group.
cp /usr/lib/kivrel/kivrel.prm "$work/kivrel.prm"
apt_get remove kivrel
[ ! -e /usr/bin/kivrel ] || fail "removing left /usr/bin/kivrel"
[ ! -e /usr/lib/kivrel ] || fail "removing left in /usr/lib/kivrel: $(ls -A /usr/lib/kivrel | tr '\n' ' ')"
cmp -s /var/lib/kivrel/kivrel.prm "$work/kivrel.prm" || fail "removing did not keep the settings"
apt_get install "$amd64"
cmp -s /usr/lib/kivrel/kivrel.prm "$work/kivrel.prm" || fail "installing again did not bring the settings back"
[ ! -e /var/lib/kivrel ] || fail "installing again left /var/lib/kivrel"
apt_get purge kivrel
[ "$(state)" = "" ] || [ "$(state)" = not-installed ] || fail "purging left the package $(state)"
left=$(comm -13 <(echo "$before") <(scan) | tr '\n' ' ')
[ -z "$left" ] || fail "purging left: $left"
! dpkg-statoverride --list /usr/lib/kivrel >/dev/null || fail "purging left the program folder's override"

echo "test-install: install, link start, uninstall, refusal, the archives and the Debian packages as they should be"
