#!/usr/bin/env bash
# Installs what is missing, builds MXF Tavrin in release mode and starts it. Without a window
# build (or with arguments) it runs the command-line program: ./run.sh info FILE.mxf --json
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
if [ $# -eq 0 ] && [ -x build/release/src/ui/mxf-tavrin ]; then
  exec build/release/src/ui/mxf-tavrin
fi
exec build/release/src/cli/mxf-tavrin-cli "$@"
