#!/usr/bin/env bash
# Sets up, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default -DTESSELLON_TESTS=ON -DTESSELLON_BENCH=ON
cmake --build --preset default
ctest --preset default
bash scripts/windows-build.sh
bash scripts/windows-smoke.sh
# The benchmarks are built with the tests so they cannot rot; each runs once, briefly, as a smoke
# test (figures from this build mean nothing: use scripts/bench.sh for them).
for b in out/default/tessellon_bench_*; do
  "$b" --benchmark_min_time=0.01 >/dev/null
done
