#!/usr/bin/env bash
# Sets up, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default -DTESSELLON_TESTS=ON -DTESSELLON_BENCH=ON
cmake --build --preset default
ctest --preset default
# Every fuzz target briefly (about 80 s with the clang build), so an input that crashes, leaks or
# hangs a reader fails the run; longer runs: bash scripts/fuzz.sh 600
bash scripts/fuzz.sh 10
# The Windows build and its Wine smoke run cost about nine minutes on a clean machine (FLTK is
# built from source), so they run when asked: TESSELLON_WINDOWS=1 bash scripts/test.sh
if [ "${TESSELLON_WINDOWS:-0}" = 1 ]; then
  bash scripts/windows-build.sh
  bash scripts/windows-smoke.sh
fi
# The benchmarks are built with the tests so they cannot rot; each runs once, briefly, as a smoke
# test (figures from this build mean nothing: use scripts/bench.sh for them).
for b in out/default/tessellon_bench_*; do
  "$b" --benchmark_min_time=0.01 >/dev/null
done
