#!/usr/bin/env bash
# Renders the settings dialog and the progress window offscreen into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build/kivrel_screenshots docs
echo "Wrote docs/settings-dialog.png and docs/progress-window.png"
