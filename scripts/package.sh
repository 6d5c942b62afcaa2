#!/usr/bin/env bash
# Builds every platform and makes the release archives in dist/:
#   kivrel-VERSION-linux-x86_64.tar.gz     one folder that runs wherever it is unpacked
#   kivrel-VERSION-linux-aarch64.tar.gz    the same for 64-bit ARM, on the console platform
#   kivrel-VERSION-windows-x86_64.zip      kivrel.exe, kivrel-filter.exe and README.txt
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

(cd dist && sha256sum "$linux.tar.gz" "$aarch64.tar.gz" "$windows.zip" >SHA256SUMS)
ls -l dist
