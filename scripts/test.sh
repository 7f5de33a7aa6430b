#!/usr/bin/env bash
# Sets up, builds everything and runs every test, the Windows build under Wine included
# (TESSELLON_WINDOWS=0 leaves the Windows part out for a quicker run).
set -euo pipefail
cd "$(dirname "$0")/.."
windows=${TESSELLON_WINDOWS:-1}
bash scripts/setup.sh --tests
[ "$windows" = 1 ] && bash scripts/setup-windows.sh
cmake --preset default -DTESSELLON_TESTS=ON -DTESSELLON_BENCH=ON
cmake --build --preset default
# The Windows cross build (FLTK and the programs built with MinGW) takes a few minutes of its
# own; it runs at low priority beside the tests, on the time they leave the processors idle.
winpid=""
if [ "$windows" = 1 ]; then
  mkdir -p out
  nice -n 15 bash scripts/windows-build.sh >out/windows-build.log 2>&1 &
  winpid=$!
fi
finish_windows() {
  [ -n "$winpid" ] || return 0
  if ! wait "$winpid"; then
    cat out/windows-build.log
    echo "test: the Windows build failed (log above, also in out/windows-build.log)" >&2
    return 1
  fi
  tail -n 1 out/windows-build.log
  winpid=""
}
trap '[ -z "$winpid" ] || kill "$winpid" 2>/dev/null || true' EXIT
ctest --preset default
# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer (clang-14, -O1,
# no window): about three minutes of building, a memory or undefined-behaviour fault fails the run.
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
# Every fuzz target briefly (about 80 s with the clang build), so an input that crashes, leaks or
# hangs a reader fails the run; longer runs: bash scripts/fuzz.sh 600
bash scripts/fuzz.sh 10
# The benchmarks are built with the tests so they cannot rot; each runs once, briefly, as a smoke
# test (figures from this build mean nothing: use scripts/bench.sh for them).
for b in out/default/tessellon_bench_*; do
  "$b" --benchmark_min_time=0.01 >/dev/null
done
if [ "$windows" = 1 ]; then
  finish_windows
  bash scripts/windows-smoke.sh
fi
