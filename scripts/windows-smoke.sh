#!/usr/bin/env bash
# Runs the Windows package (out/windows, from scripts/windows-build.sh) under Wine in a fresh
# prefix: the level must match the Linux build's byte for byte, the registry values written into
# the prefix must be read, the compile pipeline must run the stand-in compilers at idle priority
# and move the compiled level, and the window is photographed on a first start and with a saved
# account.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
ZIP=$(ls out/windows/tessellon-*-win64.zip 2>/dev/null | head -n 1 || true)
[ -n "$ZIP" ] || { echo "windows-smoke: no package in out/windows; run scripts/windows-build.sh first." >&2; exit 1; }
[ -x out/default/tessellon ] || { echo "windows-smoke: the Linux build out/default/tessellon is missing." >&2; exit 1; }
NAME=$(basename "$ZIP" .zip)
FAKE=$ROOT/out/windows-build/tessellon_fake_program.exe

TMP=$(mktemp -d)
export WINEPREFIX=$TMP/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$TMP"; }
trap cleanup EXIT

fail() { echo "windows-smoke: FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }
# The Windows spelling of a path in the prefix (its Z: drive is the root folder).
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
# Wine's console output ends lines with CR LF.
wine_run() { wine "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
unpack() { mkdir -p "$1" && (cd "$1" && cmake -E tar xf "$ROOT/$ZIP") && echo "$1/$NAME"; }

step "Wine prefix"
start=$SECONDS
wineboot -i >/dev/null 2>&1
wineserver -w
echo "prefix ready in $((SECONDS - start)) s"

CLOCK="2026-12-05 12:00:00"
step "Level under Wine against the Linux build"
LIN=$(unpack "$TMP/linux")
WIN=$(unpack "$TMP/windows")
out/default/tessellon build --home "$LIN" --seed 1 --clock "$CLOCK" --quiet
(cd "$WIN" && wine_run tessellon.exe build --seed 1 --clock "$CLOCK" --quiet) || fail "tessellon.exe build"
cmp "$LIN/level1.vmf" "$WIN/level1.vmf" || fail "level1.vmf differs from the Linux build's"
echo "level1.vmf identical ($(stat -c %s "$WIN/level1.vmf") bytes)"

# Opens the window (no arguments) under Xvfb and photographs the newest window the program shows.
shoot() {
  local shot=$ROOT/out/screenshots/$1
  # A Wine server left from the console runs has no display; the window needs one of its own.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  mkdir -p out/screenshots
  xvfb-run -n 93 -s "-screen 0 1280x1024x24" bash -c '
    # The program'"'"'s visible windows, newest last (Wine'"'"'s own input method windows left out).
    windows() { for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        [ "$name" = "Default IME" ] || echo "$id $name"; done; }
    cd "$1" && wine tessellon.exe >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 60); do
      kill -0 $pid 2>/dev/null || { echo "no window: tessellon.exe without arguments ended" >&2; exit 1; }
      if [ -n "$(windows)" ]; then
        # Give a splash time to give way, then take the newest window.
        sleep 3
        last=$(windows | tail -n 1)
        [ -n "$last" ] || { echo "the window closed again" >&2; wineserver -k; exit 1; }
        import -window "${last%% *}" "$2"
        echo "window \"${last#* }\" open; screenshot $2"
        wineserver -k
        exit 0
      fi
      sleep 0.5
    done
    echo "no window appeared within 30 s; the screen is in ${2%.png}-failed.png; windows:" >&2
    for id in $(xdotool search --name . 2>/dev/null); do echo "  $id $(xdotool getwindowname "$id")" >&2; done
    import -window root "${2%.png}-failed.png"
    wineserver -k
    exit 1' _ "$WIN" "$shot"
}

step "Window on a first start (no Steam in the prefix)"
shoot windows-first-start.png || fail "window"

step "Room kit under Wine"
# The first room by name (a glob, not ls | head: with pipefail, head closing the pipe early
# would fail the run on ls's broken pipe).
rooms=(rooms-src/*.vmf)
room=${rooms[0]}
cp "$room" "$TMP/room.vmf"
(cd "$WIN" && wine_run tessellonsdk.exe import "$(winpath "$TMP/room.vmf")" -o "$(winpath "$TMP/room.rgr")" --check) \
  || fail "tessellonsdk.exe import"
cmp "$TMP/room.rgr" "out/default/rooms/$(basename "$room" .vmf).rgr" || fail "the kit's room file differs from the Linux kit's"
echo "$(basename "$room") imported, identical to the Linux kit's"

step "Registry: decimal symbol"
wine reg add "HKCU\\Control Panel\\International" /v sDecimal /t REG_SZ /d "," /f >/dev/null
rm "$WIN/level1.vmf"
(cd "$WIN" && wine_run tessellon.exe build --seed 1 --clock "$CLOCK" --quiet --write-log-file) || fail "build with a comma"
grep -q "Standard Decimal Symbol set to: ," "$WIN/vorniclog 5-12-0.log" || fail "the decimal symbol from the registry was not read"
cmp "$LIN/level1.vmf" "$WIN/level1.vmf" || fail "with a decimal comma level1.vmf differs"
echo "sDecimal ',' read; level1.vmf still identical"

step "Registry: Steam folder"
# A bare Steam folder named by the user's SteamPath, and a full one (an account with the game and
# the stand-in compilers) named by the machine's install path in the 32-bit view.
BARE="$TMP/Bare Steam"
mkdir -p "$BARE/steamapps"
touch "$BARE/Steam.exe" "$BARE/steam.dll"
STEAM="$TMP/Program Files (x86)/Steam"
ACCOUNT=$STEAM/steamapps/player1
mkdir -p "$ACCOUNT/half-life 2/hl2/maps" "$ACCOUNT/sourcesdk/bin"
touch "$STEAM/Steam.exe" "$STEAM/steam.dll"
cp "$FAKE" "$ACCOUNT/half-life 2/hl2.exe"
for c in vbsp vvis vrad; do cp "$FAKE" "$ACCOUNT/sourcesdk/bin/$c.exe"; done

wine reg add "HKCU\\Software\\Valve\\Steam" /v SteamPath /t REG_SZ /d "$(winpath "$BARE")" /f >/dev/null
paths=$(cd "$WIN" && wine_run tessellon.exe paths || true)
grep -qF "Steam folder: $(winpath "$BARE") (from the registry)" <<<"$paths" || { echo "$paths"; fail "SteamPath was not read"; }
echo "HKCU SteamPath read"
wine reg add "HKLM\\Software\\Valve\\Steam" /v installpath /t REG_SZ /d "$(winpath "$STEAM")" /f /reg:32 >/dev/null
paths=$(cd "$WIN" && wine_run tessellon.exe paths) || { echo "$paths"; fail "tessellon.exe paths found no complete account"; }
grep -qF "Steam folder: $(winpath "$STEAM") (from the registry)" <<<"$paths" || { echo "$paths"; fail "the 32-bit installpath was not read"; }
grep -q "^Missing: nothing" <<<"$paths" || { echo "$paths"; fail "paths reports something missing"; }
echo "HKLM installpath (32-bit view) read, account player1 complete"

step "Compile pipeline"
(cd "$WIN" && wine_run tessellon.exe build --seed 1 --clock "$CLOCK" --quiet --compile --account player1) \
  || fail "build --compile"
for c in vbsp vvis vrad; do
  calls=$ACCOUNT/sourcesdk/bin/$c.exe.calls
  [ -f "$calls" ] || fail "$c.exe was not run"
  record=$(tr -d '\r' <"$calls")
  grep -qx "priority 64" <<<"$record" || { echo "$record"; fail "$c.exe did not run at the idle priority class"; }
  grep -qx finished <<<"$record" || fail "$c.exe did not finish"
done
[ -f "$ACCOUNT/half-life 2/hl2/maps/level1.bsp" ] || fail "level1.bsp was not moved into maps"
[ ! -e "$WIN/level1.bsp" ] || fail "level1.bsp was left in the program folder"
[ ! -e "$ACCOUNT/half-life 2/hl2.exe.calls" ] || fail "the game was started without --run-map"
# Their output came through the pipe into compile.log.
for c in vbsp vvis vrad; do
  tr -d '\r' <"$WIN/compile.log" | grep -qx "$c.exe: working on the level" || { cat "$WIN/compile.log"; fail "$c.exe's output is not in compile.log"; }
done
echo "vbsp, vvis and vrad ran at IDLE_PRIORITY_CLASS (64), their output is in compile.log; level1.bsp is in hl2\\maps"

step "Main window (the account saved as the default in hl2path.ini)"
printf ' 1 \r\n%s\r\n' "$(winpath "$ACCOUNT")" >"$WIN/hl2path.ini"
shoot windows-main.png || fail "main window"

echo "Wine smoke run passed"
