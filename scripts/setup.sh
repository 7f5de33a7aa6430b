#!/usr/bin/env bash
# Installs what Tessellon needs to build and test on Debian 12. Safe to run again.
set -euo pipefail
# The window: FLTK; its tests run under Xvfb and take screenshots with ImageMagick.
PACKAGES=(build-essential cmake libgtest-dev libgmock-dev libbenchmark-dev
  libfltk1.3-dev xvfb xauth imagemagick fonts-dejavu-core)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
