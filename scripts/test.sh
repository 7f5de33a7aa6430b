#!/usr/bin/env bash
# Sets up, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default -DTESSELLON_TESTS=ON
cmake --build --preset default
ctest --preset default
