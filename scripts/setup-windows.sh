#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine smoke run need on Debian 12. Safe to run again.
set -euo pipefail
PACKAGES=(cmake g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev curl wine wine64 xvfb xauth
          xdotool imagemagick)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
