#!/usr/bin/env bash
# Renders the main window in its typical states to PNG under build/screenshots/ (offscreen, no
# display needed). Builds the renderer first in the dev build.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
mkdir -p "$out"
cmake --preset dev >/dev/null
cmake --build build/dev --target ui_window_screenshots_test -j2 >/dev/null
TAVRIN_SCREENSHOT_DIR="$(cd "$out" && pwd)" QT_QPA_PLATFORM=offscreen \
  build/dev/tests/ui/ui_window_screenshots_test -silent
ls -1 "$out"/window_*.png
