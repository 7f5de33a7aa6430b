#!/usr/bin/env bash
# Sets up, builds the program and builds one level from the bundled rooms and tables.
# Extra arguments go to `tessellon build` (for example --seed 42 --map-size 10).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default -DTESSELLON_TESTS=OFF
cmake --build --preset default
./out/default/tessellon build "$@"
