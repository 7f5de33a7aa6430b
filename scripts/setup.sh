#!/usr/bin/env bash
# Installs what Tessellon needs to build and test on Debian 12. Safe to run again.
set -euo pipefail
# The window: FLTK; its tests run under Xvfb and take screenshots with ImageMagick.
bash "$(dirname "$0")/install-packages.sh" build-essential cmake libgtest-dev libgmock-dev libbenchmark-dev \
  libfltk1.3-dev xvfb xauth imagemagick fonts-dejavu-core
# The fuzz targets: clang with libFuzzer and the sanitizer runtimes.
bash "$(dirname "$0")/install-packages.sh" clang-14 libclang-rt-14-dev
