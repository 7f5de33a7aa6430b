#!/usr/bin/env bash
# Installs what Tessellon needs on Debian 12 (as root, or through sudo). Safe to run again.
#   bash scripts/setup.sh           building the program and a level: compiler, CMake, FLTK
#   bash scripts/setup.sh --tests   and the tests, benchmarks and screenshots: GoogleTest, Google
#                                   Benchmark, Xvfb, ImageMagick, and clang-14 for the sanitizer and
#                                   fuzz runs
set -euo pipefail
here="$(dirname "$0")"
# --no-install-recommends: Debian's recommendations pull in much that building never uses.
bash "$here/install-packages.sh" --no-install-recommends build-essential cmake libfltk1.3-dev
if [ "${1:-}" = "--tests" ]; then
  # The window's tests run under Xvfb and take screenshots with ImageMagick.
  bash "$here/install-packages.sh" libgtest-dev libgmock-dev libbenchmark-dev \
    xvfb xauth imagemagick fonts-dejavu-core
  # The unit tests under the sanitizers and the fuzz targets: clang with its runtimes.
  bash "$here/install-packages.sh" clang-14 libclang-rt-14-dev
elif [ $# -gt 0 ]; then
  echo "setup: the only option is --tests (got \"$1\")." >&2
  exit 2
fi
