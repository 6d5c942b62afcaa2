#!/usr/bin/env bash
# Renders the settings dialog and the progress window into docs/: the Qt
# windows offscreen, and the native Windows windows under wine on a virtual
# display (turned from BMP into PNG with netpbm).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh netpbm
scripts/build.sh
build/kivrel_screenshots docs
echo "Wrote docs/settings-dialog.png and docs/progress-window.png"

scripts/build-windows.sh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" \
  scripts/wine-run.sh build-windows/kivrel_win32_screenshots.exe "Z:$(echo "$work" | tr / '\\')" 2>/dev/null
for name in settings-dialog-windows progress-window-windows; do
  bmptopnm "$work/$name.bmp" 2>/dev/null | pnmtopng >"docs/$name.png" 2>/dev/null
done
echo "Wrote docs/settings-dialog-windows.png and docs/progress-window-windows.png"
