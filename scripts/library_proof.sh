#!/usr/bin/env bash
# The long proof of the room library: 310 levels over seeds and every map size through the
# level checker, with placement checked and the per-level counts and room use printed; for each
# level what it offers a player (the suit, nodes, whether the node graph joins the start to the
# end, characters that cannot reach the start, autosaves, cubemaps, ammunition without its
# weapon); then three levels drawn from above into out/screens/. Run after a build with tests:
#   cmake --preset default -DTESSELLON_TESTS=ON && cmake --build --preset default
#   bash scripts/library_proof.sh [LEVELS]
set -euo pipefail
cd "$(dirname "$0")/.."
BIN=out/default
LEVELS="${1:-310}"
TESSELLON_LIBRARY_LEVELS="$LEVELS" "$BIN/tessellon_tests" \
  --gtest_filter='RoomLibraryLevels.*:RoomLibrary.*' --gtest_brief=1

mkdir -p out/screens
HOME_DIR="$(mktemp -d)"
trap 'rm -rf "$HOME_DIR"' EXIT
cp -r "$BIN/rooms" "$HOME_DIR/"
cp "$BIN"/*.ini "$HOME_DIR/"
for level in "42 12" "7 20" "1234 30"; do
  set -- $level
  "$BIN/tessellon" build --home "$HOME_DIR" --seed "$1" --map-size "$2" \
    --clock "2026-06-21 12:00:00" --restart-delay 0 > /dev/null
  python3 scripts/draw_level.py "$HOME_DIR/level1.vmf" "out/screens/level_seed$1_size$2.png"
done
