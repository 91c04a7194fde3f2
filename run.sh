#!/usr/bin/env bash
# Installs what is missing, builds MXF Tavrin in release mode and starts it. Without arguments it
# starts the window (on a display); with arguments it runs the command-line program:
#   ./run.sh                       the window
#   ./run.sh info FILE.mxf --json  the command line
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
cli=build/release/src/cli/mxf-tavrin-cli
window=build/release/src/ui/mxf-tavrin
if [ $# -eq 0 ] && [ -x "$window" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the window of MXF Tavrin needs an X11 or Wayland session" >&2
    echo "(or a virtual one: xvfb-run ./run.sh)." >&2
    echo "The command line runs without one, for example:" >&2
    echo "  ./run.sh info FILE.mxf" >&2
    echo "  ./run.sh wrap FILE.mxf --in 10:00:00:00 --out 10:00:59:29 --track 1=NARRATION.wav" >&2
    echo "  ./run.sh --help" >&2
    exit 1
  fi
  exec "$window"
fi
exec "$cli" "$@"
