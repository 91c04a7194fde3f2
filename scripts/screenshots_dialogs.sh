#!/usr/bin/env bash
# Renders the dialogs (analysis, wrap/export progress, export, settings, loudness progress and
# result, the restore of the original audio) and their message boxes in each of their states to PNG under build/screenshots/
# (offscreen, no display needed). Builds
# the renderer first in the dev build. scripts/screenshots.sh calls it for the window's pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
mkdir -p "$out"
cmake --preset dev >/dev/null
cmake --build build/dev --target ui_dialog_screenshots_test -j2 >/dev/null
TAVRIN_SCREENSHOT_DIR="$(cd "$out" && pwd)" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \
  build/dev/tests/ui/ui_dialog_screenshots_test -silent
ls -1 "$out"/dialog_*.png
