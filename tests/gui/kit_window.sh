#!/usr/bin/env bash
# The room kit's window under Xvfb: a check run in it shows the findings of every file, and a
# new room made from it is written. Usage: kit_window.sh BINARY_DIR [SHOT_DIR]
set -euo pipefail
BIN=$1
SHOTS=${2:-}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL kit_window: $*" >&2; exit 1; }
# A room that passes every rule of the kit: a new one, as the kit starts it.
"$BIN/tessellonsdk" new -o "$WORK/good.vmf" --type 4 > /dev/null || fail "tessellonsdk new failed"
"$BIN/tessellonsdk" import "$WORK/good.vmf" -o "$WORK/good.rgr" --check > /dev/null || fail "the new room does not pass the check"
head -c 3000 "$WORK/good.rgr" > "$WORK/broken.rgr"

timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1/tessellonsdk" window --close-after 2 --print --run check "$2/good.rgr" "$2/broken.rgr" > "$2/out" 2> "$2/err" &
  if [ -n "${3:-}" ]; then sleep 1.2; import -window root "$3"; fi
  wait' _ "$BIN" "$WORK" "${SHOTS:+$SHOTS/kit-window.png}" || fail "the window ended with status $?: $(cat "$WORK/err")"
grep -q "good.rgr: ok" "$WORK/out" || fail "no finding for the good room: $(cat "$WORK/out")"
grep -q "broken.rgr:22: the world end marker" "$WORK/out" || fail "the broken room's findings are missing"
grep -q "^Failed (status 1).$" "$WORK/out" || fail "the window does not say the check failed"

timeout 60 xvfb-run -a "$BIN/tessellonsdk" window --close-after 0.5 --print --run new -o "$WORK/new.vmf" --type 2 > "$WORK/out2"
[ -s "$WORK/new.vmf" ] || fail "the new room was not written: $(cat "$WORK/out2")"
grep -q "^Done.$" "$WORK/out2" || fail "the window does not say the new room is done"

# Without a display the kit says where to look instead of failing silently.
env -u DISPLAY "$BIN/tessellonsdk" 2> "$WORK/err3" && fail "no display, yet the window claimed to open"
grep -q "no display" "$WORK/err3" || fail "no word about the missing display"
echo "PASS kit_window"
