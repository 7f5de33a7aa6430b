#!/usr/bin/env bash
# Screenshots of the windows under Xvfb, into out/screenshots/: the main window idle and while a
# level is built, the compile panel while vbsp runs and after a leak, a box with a long path, a
# tooltip, the main window at scale 2 on a 192 dpi screen, the account window (also after Change
# Account) and the Steam folder window, the room manager, the maze preview and the room kit's window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
cmake --preset default -DTESSELLON_TESTS=ON >/dev/null
cmake --build --preset default
mkdir -p out/screenshots
for name in shots_main shots_compile shots_boxes shots_scale2 shots_account shots_steam shots_rooms; do
  bash tests/gui/run.sh out/default "$name" "$PWD/out/screenshots"
done
bash tests/gui/run.sh out/default change_account "$PWD/out/screenshots"
bash tests/gui/kit_window.sh out/default "$PWD/out/screenshots"
ls -1 out/screenshots/*.png
