#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset: clang-14, libFuzzer, ASan, UBSan) and runs each for
# SECONDS (default 60). Fails when a target crashes, leaks, runs out of memory or hangs on an
# input; the input is kept in out/fuzz/artifacts/. Extra arguments go to every target
# (e.g. -jobs=1 -runs=1000000).
#   bash scripts/fuzz.sh 15
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
bash scripts/install-packages.sh clang-14 libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
root="$PWD"
work="$root/out/fuzz/work"
artifacts="$root/out/fuzz/artifacts"
mkdir -p "$work" "$artifacts"
# The targets write only in the system's temp folder; give them one of their own.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=()
for seeds in fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  # New inputs the fuzzer finds go to out/, never into the seed folder in the source tree.
  mkdir -p "$work/$name"
  echo "== fuzz_$name for ${seconds} s"
  if ! (cd "$scratch" && TMPDIR="$scratch" "$root/out/fuzz/fuzz/fuzz_$name" \
          -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
          -artifact_prefix="$artifacts/${name}-" "$@" "$work/$name" "$root/$seeds" \
          >"$work/$name.log" 2>&1); then
    failed+=("$name")
    tail -n 60 "$work/$name.log"
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$name.log" | tr '\n' ' '
  echo
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${failed[*]} failed (inputs in $artifacts, logs in $work)" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds} s without a fault"
