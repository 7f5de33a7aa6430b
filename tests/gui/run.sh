#!/usr/bin/env bash
# Runs one window test under Xvfb: builds a throw-away program folder (and a fake Steam folder
# with our stand-in compilers), runs `tessellon gui --script`, then checks what was left.
# Usage: run.sh BINARY_DIR TEST_NAME [SHOT_DIR]
set -euo pipefail
BIN=$1
NAME=$2
SHOTS=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
[ -n "${KEEP_WORK:-}" ] || trap 'rm -rf "$WORK"' EXIT
CLOCK="2026-12-05 12:00:00"

home=$WORK/home
mkdir -p "$home"
cp -r "$BIN"/rooms "$BIN"/*.ini "$BIN"/*.txt "$home"/
steam=$WORK/steam
# A Steam folder deep enough that its compiler paths fill a box's line several times over.
[ "$NAME" = shots_boxes ] && steam="$WORK/Games and Tools/Program Files (x86)/Valve Corporation/Steam Library Folder/Steam"
export HOME=$WORK/user  # no Steam of the machine's user is found
mkdir -p "$HOME"

fake_account() {  # fake_account NAME [hl2only]
  local a="$steam/steamapps/$1"
  mkdir -p "$a/half-life 2/hl2/maps" "$a/sourcesdk/bin"
  cp "$BIN/tessellon_fake_program" "$a/half-life 2/hl2.exe"
  [ "${2:-}" = hl2only ] && return
  for c in vbsp vvis vrad; do cp "$BIN/tessellon_fake_program" "$a/sourcesdk/bin/$c.exe"; done
}
fake_steam() {
  mkdir -p "$steam/steamapps/SourceMods"
  touch "$steam/Steam.exe" "$steam/steam.dll"
  fake_account player1
  fake_account player2 hl2only
}
saved_account() {  # the default account is player1
  printf '%s/\r\n' "$steam" > "$home/spath.idf"
  printf ' 1 \r\n%s\r\n' "$steam/steamapps/player1" > "$home/hl2path.ini"
}

script=$WORK/script.txt
shot_line=""
[ -n "$SHOTS" ] && shot_line="shot $SHOTS/$NAME.png"
sed -e "s|@STEAM@|$steam|g" -e "s|@SHOTS@|$SHOTS|g" -e "s|^@SHOT@$|$shot_line|" "$HERE/$NAME.script" > "$script"
extra=()
fail() { echo "FAIL $NAME: $*" >&2; echo "--- window log" >&2; cat "$WORK/log" >&2; exit 1; }

case $NAME in
  create|abort|restart|shots_main|room_manager|shots_rooms|maze_preview) fake_steam; saved_account ;;
  compile|compile_abort|compile_leak|shots_compile|shots_boxes|shots_scale2) fake_steam; saved_account; extra=(--compiler-runner none) ;;
  change_account) fake_steam; fake_account player3; saved_account ;;
  account|shots_account) fake_steam; printf '%s/\r\n' "$steam" > "$home/spath.idf" ;;
  steam_folder|shots_steam) fake_steam ;;
esac
case $NAME in
  abort) printf 'the level the user had\n' > "$home/level1.vmf"; extra=(--slow-yield 20) ;;
  restart) extra=(--restart-delay 400) ;;
  room_manager|shots_rooms)
    cp "$BIN/tessellon_fake_program" "$home/tessellonsdk"
    ls "$home/rooms" > "$WORK/rooms-before" ;;
  compile) echo 1 > "$steam/steamapps/player1/sourcesdk/bin/vbsp.exe.sleep" ;;
  compile_abort) echo 30 > "$steam/steamapps/player1/sourcesdk/bin/vvis.exe.sleep" ;;
  shots_boxes) rm "$steam/steamapps/player1/sourcesdk/bin/vvis.exe" ;;
  compile_leak|shots_compile)
    bin=$steam/steamapps/player1/sourcesdk/bin
    touch "$bin/vbsp.exe.leak" "$bin/vbsp.exe.nobsp"
    printf 'Valve Software - vbsp.exe\nLoading %s\nProcessing areas...done (0)\nMaterial not found!: BRICK/GONE_WALL\nBuilding Faces...0...1...2...3...4...5...6...7...8...9...10\n' \
      "$home/level1.vmf" > "$bin/vbsp.exe.print"
    printf 'LoadPortals: couldn'"'"'t read %s\n' "$home/level1.prt" > "$bin/vvis.exe.print"
    echo 1 > "$bin/vvis.exe.exit"
    [ "$NAME" = shots_compile ] && echo 2.5 > "$bin/vbsp.exe.sleep" ;;
  shots_main) echo 2 > "$steam/steamapps/player1/sourcesdk/bin/vbsp.exe.sleep"; extra=(--compiler-runner none --slow-yield 20) ;;
esac

screen="1280x1024x24"
[ "$NAME" = shots_scale2 ] && screen="3840x2160x24 -dpi 192"
expected_rc=0
[ "$NAME" = shots_boxes ] && expected_rc=1  # it ends through the compile's error
set +e
timeout 90 xvfb-run -a -s "-screen 0 $screen" "$BIN/tessellon" gui --home "$home" --clock "$CLOCK" \
  --script "$script" "${extra[@]}" > "$WORK/out" 2> "$WORK/log"
rc=$?
set -e
[ $rc -eq $expected_rc ] || fail "the window ended with status $rc"

maps=$steam/steamapps/player1/half-life\ 2/hl2/maps
case $NAME in
  create)
    # The same options on the command line must give the very same level.
    mkdir "$WORK/cli"
    cp -r "$home"/rooms "$home"/*.ini "$home"/*.txt "$WORK/cli"/
    "$BIN/tessellon" build --home "$WORK/cli" --quiet --seed 42 --clock "$CLOCK" --map-size 7 \
      --enemy-difficulty 3 --alien-combine-balance 4 --new-weapons 8 --season winter --time-of-day 30 \
      --moon 5 --latitude -2 --all-weapons --no-monsters > /dev/null
    cmp "$home/level1.vmf" "$WORK/cli/level1.vmf" || fail "the window's level differs from the same options' build"
    "$BIN/tessellon" build --home "$WORK/cli" --quiet --replay "$home/level1.txt" > /dev/null ||
      fail "the window's level record does not replay"
    cmp "$home/level1.vmf" "$WORK/cli/level1.vmf" || fail "the replayed level differs from the window's"
    ;;
  abort)
    grep -q "^the level the user had$" "$home/level1.vmf" || fail "the aborted build touched level1.vmf"
    ! ls "$home" | grep -qi "\.tmp\|partial" || fail "an aborted build left a file behind: $(ls "$home")"
    ;;
  restart)
    grep -q '^status: Path out of bounds! Restart in 2...$' "$WORK/log" || fail "no countdown"
    grep -q '^status: Path out of bounds! Restart in 1...$' "$WORK/log" || fail "the countdown did not count"
    [ "$(grep -c '^box: Continiune?' "$WORK/log")" -eq 1 ] || fail "the restart asked for confirmation again"
    [ "$(grep -c '^status: Reserving memory...$' "$WORK/log")" -eq 2 ] || fail "the countdown did not start a second build"
    [ -f "$home/level1.vmf" ] || fail "the second build wrote no level"
    ;;
  maze_preview)
    for n in 1 2 3 4 5; do
      [ -s "$home/Maps/Map$n.bmp" ] && [ -s "$home/Maps/Map$n.txt" ] || fail "Map$n was not saved"
    done
    [ ! -e "$home/Maps/Map6.txt" ] || fail "the batch made more lines than asked"
    ;;
  room_manager)
    log=""
    for f in "$home"/vorniclog*.log; do [ -e "$f" ] && { log=$f; break; }; done
    [ -n "$log" ] || fail "the build wrote no log file"
    used=$(grep -o 'Calling GetReady with parameters: [^ ]*' "$log" | sed 's/.*: //' | sort -u)
    [ -n "$used" ] || fail "the log names no generated room"
    oneway=0
    for f in $used; do
      [ "$(sed -n 3p "$f" | tr -d '\r')" = 0 ] || continue
      [ "$(basename "$f")" = oneway_cellars_passage.rgr ] || fail "test mode on oneway_cellars_passage.rgr, yet the build took $(basename "$f")"
      oneway=1
    done
    [ $oneway = 1 ] || fail "the build used no one-way room, so test mode was not tried"
    grep -v '^alley_canal_outfall.rgr$' "$WORK/rooms-before" | diff - <(ls "$home/rooms") > /dev/null ||
      fail "the rooms folder is not the old one less alley_canal_outfall.rgr: $(diff <(grep -v '^alley_canal_outfall.rgr$' "$WORK/rooms-before") <(ls "$home/rooms"))"
    grep -q '^started$' "$home/tessellonsdk.calls" 2>/dev/null || fail "the room kit was not started"
    # The level built in room test mode is built again from its record, blocked rooms and all.
    mkdir "$WORK/replay"
    cp -r "$BIN"/rooms "$BIN"/*.ini "$BIN"/*.txt "$WORK/replay"/
    grep -q '^BlockedRoom=' "$home/level1.txt" || fail "the record does not name the rooms test mode blocked"
    "$BIN/tessellon" build --home "$WORK/replay" --quiet --replay "$home/level1.txt" > /dev/null ||
      fail "the test mode level's record does not replay"
    cmp "$home/level1.vmf" "$WORK/replay/level1.vmf" || fail "the replayed test mode level differs"
    ! grep -q '^arg ' "$home/tessellonsdk.calls" || fail "the room kit was given arguments"
    ;;
  account)
    printf ' 1 \r\n%s\r\n' "$steam/steamapps/player1" | cmp - "$home/hl2path.ini" || fail "hl2path.ini is not what was chosen"
    ;;
  change_account)
    printf ' 1 \r\n%s\r\n' "$steam/steamapps/player3" | cmp - "$home/hl2path.ini" || fail "hl2path.ini lost the change or its default tick"
    [ "$(grep -c '^script: wait-window AccountWindow' "$WORK/log")" -eq 1 ] || fail "the account window came back"
    ;;
  steam_folder)
    printf '%s/\r\n' "$steam" | cmp - "$home/spath.idf" || fail "spath.idf does not name the chosen Steam folder"
    ;;
  compile)
    [ -f "$maps/level1.bsp" ] || fail "the compiled level is not in the maps folder"
    grep -q "^priority 19$" "$steam/steamapps/player1/sourcesdk/bin/vrad.exe.calls" || fail "vrad did not run at idle priority"
    ;;
  compile_leak)
    [ ! -e "$maps/level1.bsp" ] || fail "a level was moved although vbsp made none"
    grep -q '^\*\*\*\* leaked \*\*\*\*$' "$home/compile.log" || fail "compile.log lacks vbsp's output"
    grep -q '^The level leaks: ' "$home/compile.log" || fail "compile.log lacks the explanation"
    ;;
  compile_abort)
    [ ! -e "$maps/level1.bsp" ] || fail "an aborted compile moved a level"
    [ ! -e "$steam/steamapps/player1/sourcesdk/bin/vrad.exe.calls" ] || fail "vrad ran after the abort"
    [ -f "$home/level1.vmf" ] || fail "the level file is gone"
    ;;
esac
echo "PASS $NAME"
