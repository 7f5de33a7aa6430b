#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 and packs them as the program folder:
# out/windows/tessellon-<version>-win64.zip (tessellon.exe, tessellonsdk.exe, the tables and the
# built rooms). FLTK is built for MinGW once from Debian's source tarball and kept in
# $TESSELLON_CACHE (default /var/cache/tessellon). The rooms come from the Linux build in
# out/default, which is built first when it has none.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
bash scripts/setup-windows.sh

CACHE=${TESSELLON_CACHE:-/var/cache/tessellon}
FLTK_VERSION=1.3.11
FLTK_TARBALL=fltk1.3_${FLTK_VERSION}.orig.tar.gz
FLTK_SHA256=92805abc84505e3e7e27aec775ab0754ecb4182fe2d8ff2a9d568ccdcb2811ac
FLTK_URL=http://deb.debian.org/debian/pool/main/f/fltk1.3/${FLTK_TARBALL}
FLTK_PREFIX=$CACHE/fltk-mingw-${FLTK_VERSION}
VERSION=$(sed -n 's/.*kAppTitle = "Tessellon \([0-9.]*\)".*/\1/p' src/driver/compile_pipeline.cpp)
[ -n "$VERSION" ] || { echo "windows-build: cannot read the version from src/driver/compile_pipeline.cpp" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build_fltk() {
  mkdir -p "$CACHE/src"
  local tarball=$CACHE/src/$FLTK_TARBALL
  if [ ! -f "$tarball" ] || ! echo "$FLTK_SHA256  $tarball" | sha256sum -c --quiet - 2>/dev/null; then
    echo "Fetching $FLTK_URL"
    if ! curl -fsSL --retry 3 -o "$tarball.part" "$FLTK_URL"; then
      echo "windows-build: could not fetch FLTK's source from $FLTK_URL." >&2
      echo "Put $FLTK_TARBALL (sha256 $FLTK_SHA256) into $CACHE/src and run again." >&2
      rm -f "$tarball.part"
      exit 1
    fi
    if ! echo "$FLTK_SHA256  $tarball.part" | sha256sum -c --quiet -; then
      echo "windows-build: $FLTK_URL does not have the expected sha256 $FLTK_SHA256." >&2
      rm -f "$tarball.part"
      exit 1
    fi
    mv "$tarball.part" "$tarball"
  fi
  local work
  work=$(mktemp -d)
  tar -xzf "$tarball" -C "$work"
  local src=$work/fltk-$FLTK_VERSION
  # Built as a few large units (about a fifth of the time file by file); the four files whose
  # private helpers share a name with another file's stay units of their own.
  echo "set_source_files_properties(filename_expand.cxx filename_isdir.cxx Fl_Text_Display.cxx" \
    "fl_encoding_mac_roman.cxx PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)" >>"$src/src/CMakeLists.txt"
  # Only the base library: no GL, no image formats, no fluid, tests or documentation.
  cmake -S "$src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_UNITY_BUILD=ON "${launcher[@]}"\
    -DOPTION_BUILD_SHARED_LIBS=OFF -DOPTION_USE_GL=OFF -DFLTK_BUILD_TEST=OFF -DFLTK_BUILD_EXAMPLES=OFF \
    -DOPTION_BUILD_HTML_DOCUMENTATION=OFF -DOPTION_BUILD_PDF_DOCUMENTATION=OFF \
    -DOPTION_USE_SYSTEM_ZLIB=OFF -DOPTION_USE_SYSTEM_LIBPNG=OFF -DOPTION_USE_SYSTEM_LIBJPEG=OFF >/dev/null
  cmake --build "$work/build" --target fltk -j2 >/dev/null
  local staged=$FLTK_PREFIX.part
  rm -rf "$staged"
  mkdir -p "$staged/include/FL" "$staged/lib"
  cp "$src"/FL/*.H "$src"/FL/*.h "$staged/include/FL/"
  cp "$work/build/FL/abi-version.h" "$staged/include/FL/"
  cp "$work/build/lib/libfltk.a" "$staged/lib/"
  rm -rf "$FLTK_PREFIX" "$work"
  mv "$staged" "$FLTK_PREFIX"
  touch "$FLTK_PREFIX/.complete"
}

if [ ! -f "$FLTK_PREFIX/.complete" ]; then
  echo "Building FLTK $FLTK_VERSION for MinGW into $FLTK_PREFIX"
  start=$SECONDS
  build_fltk
  echo "FLTK built in $((SECONDS - start)) s"
fi

# FindFLTK's own variables, so find_package(FLTK) takes the MinGW build and nothing else.
cmake --preset windows --no-warn-unused-cli "${launcher[@]}" -DTESSELLON_FLTK_PREFIX="$FLTK_PREFIX" \
  -DFLTK_INCLUDE_DIR="$FLTK_PREFIX/include" -DFLTK_BASE_LIBRARY_RELEASE="$FLTK_PREFIX/lib/libfltk.a" \
  -DFLTK_SKIP_FLUID=ON -DFLTK_SKIP_OPENGL=ON -DFLTK_SKIP_FORMS=ON -DFLTK_SKIP_IMAGES=ON >/dev/null
cmake --build --preset windows --target tessellon tessellonsdk tessellon_data tessellon_fake_program

if ! compgen -G "out/default/rooms/*.rgr" >/dev/null; then
  bash scripts/setup.sh
  [ -f out/default/CMakeCache.txt ] || cmake --preset default -DTESSELLON_TESTS=OFF >/dev/null
  cmake --build --preset default --target tessellon_rooms
fi

BIN=out/windows-build
NAME=tessellon-$VERSION-win64
STAGE=out/windows/$NAME
rm -rf "$STAGE" "out/windows/$NAME.zip"
mkdir -p "$STAGE/rooms"
cp "$BIN/tessellon.exe" "$BIN/tessellonsdk.exe" "$BIN/tessellon.fgd" "$STAGE/"
cp -r data/. "$STAGE/"
rm -f "$STAGE/rooms/.gitattributes"
cp out/default/rooms/*.rgr "$STAGE/rooms/"
(cd out/windows && cmake -E tar cf "$NAME.zip" --format=zip "$NAME")
echo "Wrote out/windows/$NAME.zip ($(ls "$STAGE/rooms" | grep -c '\.rgr$') rooms)"
