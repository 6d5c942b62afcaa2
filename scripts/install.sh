#!/usr/bin/env bash
# Installs Kivrel for the user (or under any prefix), building the programs
# first if needed (and the Debian packages that takes, if any is missing):
#   scripts/install.sh [PREFIX]               default ~/.local
#   scripts/install.sh --uninstall [PREFIX]
# The programs live in PREFIX/lib/kivrel, which must stay writable by whoever
# runs them (kivrel.prm and prepre.res live there); PREFIX/bin holds links to
# them. The desktop entry "Kivrel settings", its icon and the man page go
# under PREFIX/share. Uninstalling keeps the operator's kivrel.prm (and a
# kivrel.prm.bad kept from an unreadable one).
set -euo pipefail
cd "$(dirname "$0")/.."

uninstall=0
if [ "${1:-}" = "--uninstall" ]; then
  uninstall=1
  shift
fi
prefix="${1:-$HOME/.local}"
case "$prefix" in /*) ;; *) prefix="$PWD/$prefix" ;; esac
folder="$prefix/lib/kivrel"
installed=(
  "$prefix/bin/kivrel" "$prefix/bin/kivrel-filter"
  "$folder/kivrel" "$folder/kivrel-filter" "$folder/kivrel-gui.so"
  "$folder/kivrel-windows.so"  # the GUI module under its earlier name
  "$folder/prepre.res"  # the last start's result, no setting
  "$prefix/share/applications/kivrel-settings.desktop"
  "$prefix/share/icons/hicolor/scalable/apps/kivrel.svg"
  "$prefix/share/man/man1/kivrel.1" "$prefix/share/man/man1/kivrel-filter.1"
  "$prefix/share/doc/kivrel/README.md"
  # the formatted pages mandb keeps
  "$prefix/share/man/cat1/kivrel.1.gz" "$prefix/share/man/cat1/kivrel-filter.1.gz"
)

refresh_databases() {
  if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$prefix/share/applications" 2>/dev/null || true
  fi
  if command -v gtk-update-icon-cache >/dev/null && [ -f "$prefix/share/icons/hicolor/index.theme" ]; then
    gtk-update-icon-cache -q "$prefix/share/icons/hicolor" 2>/dev/null || true
  fi
  if command -v mandb >/dev/null; then mandb -q "$prefix/share/man" 2>/dev/null || true; fi
}

if [ $uninstall -eq 1 ]; then
  for file in "${installed[@]}"; do
    if [ -e "$file" ] || [ -L "$file" ]; then rm -f "$file"; fi
  done
  rmdir "$prefix/share/doc/kivrel" 2>/dev/null || true
  refresh_databases
  if [ -f "$folder/kivrel.prm" ]; then
    echo "Kivrel is uninstalled from $prefix. Your settings stay in $folder/kivrel.prm."
  else
    rmdir "$folder" 2>/dev/null || true
    echo "Kivrel is uninstalled from $prefix."
  fi
  exit 0
fi

# Every folder the install writes to must take a file, before anything is
# written: a prefix the user cannot write leaves nothing half-installed.
for target in "$prefix/bin" "$folder" "$prefix/share/applications" \
  "$prefix/share/icons/hicolor/scalable/apps" "$prefix/share/man/man1"; do
  existing="$target"
  while [ ! -e "$existing" ]; do existing=$(dirname "$existing"); done
  probe=""
  if [ -d "$existing" ]; then probe=$(mktemp -p "$existing" .kivrel-install-XXXXXX 2>/dev/null || true); fi
  if [ -z "$probe" ]; then
    echo "Kivrel: cannot install into $prefix: $existing is not a folder this user can write." >&2
    echo "Choose a prefix of your own (the default is ~/.local), or run as a user who may write there." >&2
    exit 1
  fi
  rm -f "$probe"
done

scripts/install-deps.sh --install
scripts/build.sh --programs >/dev/null
cmake --install build --prefix "$prefix" --strip >/dev/null
rm -f "$folder/kivrel-windows.so"  # an earlier install's GUI module, under its old name
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/kivrel-settings.desktop"
fi
refresh_databases

echo "Kivrel is installed in $folder (programs, and kivrel.prm and prepre.res once it runs)."
echo "Links: $prefix/bin/kivrel, $prefix/bin/kivrel-filter. Settings: kivrel SETUP, or \"Kivrel settings\" in the menu."
case ":$PATH:" in
  *":$prefix/bin:"*) ;;
  *) echo "Note: $prefix/bin is not on your PATH." ;;
esac
