#!/usr/bin/env bash
# Installs what is missing, builds MXF Tavrin with its tests and runs every test through ctest.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j "$(nproc)"
