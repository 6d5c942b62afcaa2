#!/usr/bin/env bash
# Builds every platform and makes the release archives in dist/:
#   kivrel-VERSION-linux-x86_64.tar.gz     one folder that runs wherever it is unpacked
#   kivrel-VERSION-linux-aarch64.tar.gz    the same for 64-bit ARM, on the console platform
#   kivrel-VERSION-windows-x86_64.zip      kivrel.exe, kivrel-filter.exe and README.txt
#   kivrel_VERSION_amd64.deb               the Debian package, with the windows
#   kivrel_VERSION_arm64.deb               the same for 64-bit ARM, on the console platform
#   SHA256SUMS
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(grep -oP 'project\(kivrel VERSION \K[0-9.]+' CMakeLists.txt)
scripts/install-deps.sh
scripts/build.sh >/dev/null
scripts/build-windows.sh >/dev/null
scripts/build-aarch64.sh --programs >/dev/null

rm -rf dist
mkdir -p dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Linux: the program folder as installed (stripped), with the README and the
# man page. Qt and the C++ libraries are the system's.
linux="kivrel-$version-linux-x86_64"
cmake --install build --prefix "$work/prefix" --strip >/dev/null
mkdir -p "$work/$linux"
cp "$work/prefix/lib/kivrel/"* "$work/$linux/"
cp README.md build/kivrel.1 "$work/$linux/"
tar -C "$work" --owner=0 --group=0 -czf "dist/$linux.tar.gz" "$linux"

# 64-bit ARM: the two programs, cross-built without the GUI module (Qt is
# not built for that processor here), with the README and the man page.
aarch64="kivrel-$version-linux-aarch64"
mkdir -p "$work/$aarch64"
for program in kivrel kivrel-filter; do
  aarch64-linux-gnu-strip -o "$work/$aarch64/$program" "build-aarch64/$program"
done
cp README.md build/kivrel.1 "$work/$aarch64/"
tar -C "$work" --owner=0 --group=0 -czf "dist/$aarch64.tar.gz" "$aarch64"

# Windows: the two self-contained executables and a README with CR LF ends.
windows="kivrel-$version-windows-x86_64"
mkdir -p "$work/$windows"
for program in kivrel.exe kivrel-filter.exe; do
  x86_64-w64-mingw32-strip -o "$work/$windows/$program" "build-windows/$program"
done
sed -e "s/@PROJECT_VERSION@/$version/" -e 's/$/\r/' packaging/README.txt.in >"$work/$windows/README.txt"
(cd "$work/$windows" && cmake -E tar cf "$OLDPWD/dist/$windows.zip" --format=zip kivrel.exe kivrel-filter.exe README.txt)

# Debian packages, installed under /usr as the install rules lay them out,
# with what Debian asks of a package besides: compressed man pages and
# README, the copyright file, md5sums, and the maintainer scripts of
# packaging/debian, which give the program folder to the group kivrel.
# Their dependencies are read off the libraries the programs and the GUI
# module need. Each tree is built in debian/kivrel below a folder of its own,
# where dpkg-shlibdeps looks for it.
maintainer="Kivrel maintainers <maintainers@kivrel.invalid>"

# The Depends that the ELF files in TREE need, from their libraries' shlibs
# and symbols files. For arm64 the libraries are the cross compiler's copies,
# whose files name either Debian's arm64 package with an architecture
# (libc6:arm64) or the copy's own package (libgcc-s1-arm64-cross): inside an
# arm64 package both are the plain name. The C++ runtime's copy states no
# version: the compiler's release is the least one that has every symbol the
# programs may use.
library_depends() {  # ARCH TREE FILE...
  local arch=$1 tree=$2 line
  shift 2
  local options=()
  [ "$arch" = arm64 ] && options=(-l/usr/aarch64-linux-gnu/lib)
  mkdir -p "$tree/DEBIAN"
  printf 'Source: kivrel\n\nPackage: kivrel\nArchitecture: any\n' >"$tree/../control"
  line=$(cd "$tree/../.." && DEB_HOST_ARCH=$arch dpkg-shlibdeps -O "${options[@]}" "${@/#/debian/kivrel/}")
  line=${line#shlibs:Depends=}
  if [ "$arch" = arm64 ]; then
    line=$(echo "$line" | sed -e 's/:arm64//g' -e 's/-arm64-cross//g' \
      -e "s/libstdc++6\(,\|\$\)/libstdc++6 (>= $(aarch64-linux-gnu-g++ -dumpversion))\1/")
  fi
  echo "$line"
}

# The control file, md5sums and maintainer scripts, and the package.
make_deb() {  # ARCH TREE DEPENDS RECOMMENDS DESCRIPTION
  local arch=$1 tree=$2 depends=$3 recommends=$4 description=$5 size
  # The size in KiB as dpkg counts it: each file rounded up, one for every
  # other entry.
  size=$(cd "$tree" && find usr -printf '%y %s\n' |
    awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib }')
  mkdir -p "$tree/DEBIAN"
  install -m 755 packaging/debian/postinst packaging/debian/prerm packaging/debian/postrm "$tree/DEBIAN/"
  (cd "$tree" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
  {
    echo "Package: kivrel"
    echo "Version: $version"
    echo "Architecture: $arch"
    echo "Maintainer: $maintainer"
    echo "Installed-Size: $size"
    echo "Depends: $depends"
    [ -z "$recommends" ] || echo "Recommends: $recommends"
    echo "Section: utils"
    echo "Priority: optional"
    echo "Description: G-code pre-processor for CNC hosts"
    echo "$description" | sed -e 's/^$/./' -e 's/^/ /'
  } >"$tree/DEBIAN/control"
  chmod 644 "$tree/DEBIAN/control" "$tree/DEBIAN/md5sums"
  SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$tree" "dist/kivrel_${version}_$arch.deb" >/dev/null
}

description="Kivrel rewrites a part program line by line (axis scales, feed-rate
multiplier and addend, spindle offset, X/Y exchange) and writes the copy
beside it; a CNC host starts \"kivrel PATH\". kivrel-filter does the same as
a LinuxCNC filter program.

Its settings (kivrel.prm) and result file (prepre.res) live in its own
folder, /usr/lib/kivrel, which root and the members of the group kivrel may
write: they run Kivrel (adduser OPERATOR kivrel admits an operator)."

# The time of the last commit dates the changelog and every file, so that the
# same sources give the same packages.
epoch=$(git log -1 --format=%ct 2>/dev/null || date +%s)

amd64="$work/deb-amd64/debian/kivrel"
DESTDIR="$amd64" cmake --install build --prefix /usr --strip >/dev/null
gzip -9n "$amd64/usr/share/man/man1/"*.1 "$amd64/usr/share/doc/kivrel/README.md"
install -m 644 packaging/debian/copyright "$amd64/usr/share/doc/kivrel/"
printf 'kivrel (%s) stable; urgency=medium\n\n  * Kivrel %s.\n\n -- %s  %s\n' "$version" "$version" \
  "$maintainer" "$(date -R -u -d "@$epoch")" | gzip -9n >"$amd64/usr/share/doc/kivrel/changelog.gz"
chmod -R u=rwX,go=rX "$amd64"
chmod 644 "$amd64/usr/lib/kivrel/kivrel-gui.so"  # loaded, not run
mkdir -p "$work/deb-arm64/debian"
cp -a "$amd64" "$work/deb-arm64/debian/kivrel"
make_deb amd64 "$amd64" \
  "$(library_depends amd64 "$amd64" usr/lib/kivrel/kivrel usr/lib/kivrel/kivrel-filter usr/lib/kivrel/kivrel-gui.so), qt6-qpa-plugins, adduser" \
  fonts-liberation "$description"

# arm64: the same tree with the cross-built programs, and without the GUI
# module, the desktop entry and its icon (the console platform alone: the
# settings are changed in kivrel.prm).
arm64="$work/deb-arm64/debian/kivrel"
rm -r "$arm64/usr/lib/kivrel/kivrel-gui.so" "$arm64/usr/share/applications" "$arm64/usr/share/icons"
for program in kivrel kivrel-filter; do
  aarch64-linux-gnu-strip -o "$arm64/usr/lib/kivrel/$program" "build-aarch64/$program"
  chmod 755 "$arm64/usr/lib/kivrel/$program"
done
make_deb arm64 "$arm64" \
  "$(library_depends arm64 "$arm64" usr/lib/kivrel/kivrel usr/lib/kivrel/kivrel-filter), adduser" \
  "" "$description

This build has no windows: \"kivrel SETUP\" prints the settings, and they
are changed in /usr/lib/kivrel/kivrel.prm."

# Lintian, where it is installed, judges both packages; its errors fail.
if command -v lintian >/dev/null; then
  lintian --fail-on error "dist/kivrel_${version}_amd64.deb" "dist/kivrel_${version}_arm64.deb"
fi

(cd dist && sha256sum "$linux.tar.gz" "$aarch64.tar.gz" "$windows.zip" \
  "kivrel_${version}_amd64.deb" "kivrel_${version}_arm64.deb" >SHA256SUMS)
ls -l dist
