#!/usr/bin/env bash
# Builds the benchmarks (Release, the `bench` preset) and runs every one; each prints its
# figures with their floors and targets on FIGURE lines at the end. Extra arguments go to every
# benchmark program (e.g. --benchmark_filter=...). With --smoke each runs once, briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
smoke=0
if [ "${1:-}" = "--smoke" ]; then smoke=1; shift; fi
cmake --preset bench >/dev/null
cmake --build --preset bench --target tessellon_benches
for b in out/bench/tessellon_bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  if [ "$smoke" = 1 ]; then
    "$b" --benchmark_min_time=0.01 "$@" >/dev/null
  else
    "$b" "$@"
  fi
done
