#!/usr/bin/env bash
# Installs what building and testing MXF Tavrin needs on Debian 12: the toolchain, CMake, Ninja,
# GoogleTest, CLI11 and nlohmann/json for the command line, libebur128 for the loudness measurement,
# Qt 6 Widgets for the window, ffmpeg and GStreamer (independent MXF writers and decoders for the
# peer tests), sox (an independent WAV writer), Python 3 (an independent JSON reader for the
# command-line tests), Xvfb for looking at the window, and the fonts of the user interface. As root
# it installs with apt-get; otherwise it prints the command to run.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libebur128-dev
  ffmpeg
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  sox libsox-fmt-all
  python3
  xvfb xauth
  fonts-noto-cjk fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "These packages are missing: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
