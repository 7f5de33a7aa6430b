#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine smoke run need on Debian 12. Safe to run again.
set -euo pipefail
bash "$(dirname "$0")/install-packages.sh" --no-install-recommends cmake g++-mingw-w64-x86-64-posix \
  mingw-w64-x86-64-dev curl wine wine64 xvfb xauth xdotool imagemagick
