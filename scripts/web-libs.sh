#!/usr/bin/env bash
# Builds the libraries the game links (SDL2, FreeType, libpng, libjpeg-turbo,
# zlib with minizip) for WebAssembly from Debian's source packages, at the
# versions pinned below, into $KARROWEN_WEB_CACHE/sysroot (by default
# ~/.cache/karrowen-web). Runs once: a later call with the same versions
# returns at once. The source lines come from the machine's own apt
# configuration, turned into deb-src lines in a private configuration under
# the cache; /etc/apt is only read.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/web-env.sh"

# Debian source package = version, in build order: zlib before libpng and
# FreeType, which use it.
PINNED=(
  "zlib=1:1.2.13.dfsg-1"
  "libpng1.6=1.6.39-2+deb12u5"
  "libjpeg-turbo=1:2.1.5-2"
  "freetype=2.12.1+dfsg-5+deb12u4"
  "libsdl2=2.26.5+dfsg-1"
)
built=$WEB_SYSROOT/.built  # one stamp per library and version
missing=()
for entry in "${PINNED[@]}"; do
  [ -f "$built/$entry" ] || missing+=("$entry")
done
[ ${#missing[@]} -eq 0 ] && exit 0

web_prepare_toolchain
apt_dir=$KARROWEN_WEB_CACHE/apt
src_dir=$KARROWEN_WEB_CACHE/src
work=$KARROWEN_WEB_CACHE/work
rm -rf "$work"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
  "$src_dir" "$work" "$WEB_SYSROOT/include" "$WEB_SYSROOT/lib" "$built"

# ---- Source packages through a private apt configuration ------------------
derive_source_lines() {
  : > "$apt_dir/sources.list"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >> "$apt_dir/sources.list"
  done
  rm -f "$apt_dir"/sources.list.d/*
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
  done
}
APT=(apt-get -q
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=$(id -un)")

# Downloads and unpacks the missing libraries' sources (once: the unpacked
# trees stay in the cache).
fetch_sources() {
  local entry name version plain updated=0
  for entry in "${missing[@]}"; do
    name=${entry%%=*}
    version=${entry#*=}
    plain=${version#*:}
    if [ ! -d "$src_dir/$name-$plain" ]; then
      if [ $updated -eq 0 ]; then
        derive_source_lines
        "${APT[@]}" update >/dev/null
        updated=1
      fi
      (cd "$work" && "${APT[@]}" source --download-only "$name=$version" >/dev/null)
      dpkg-source --no-check -x "$work/${name}_${plain}.dsc" "$src_dir/$name-$plain" >/dev/null
    fi
    ln -sfn "$src_dir/$name-$plain" "$work/$name"
  done
}

CFLAGS_WEB="-O2"
jobs=$(nproc)

build_zlib() {
  local s=$work/zlib o=$work/zlib-build
  mkdir -p "$o" "$WEB_SYSROOT/include/minizip"
  # zlib's own CMake files do not configure under emscripten: its sources are few.
  local f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
    emcc $CFLAGS_WEB -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$s/$f.c" -o "$o/$f.o"
  done
  emar rcs "$WEB_SYSROOT/lib/libz.a" "$o"/*.o
  cp "$s/zlib.h" "$s/zconf.h" "$WEB_SYSROOT/include/"
  for f in ioapi unzip; do
    emcc $CFLAGS_WEB -DIOAPI_NO_64 -I"$s" -c "$s/contrib/minizip/$f.c" -o "$o/mz_$f.o"
  done
  emar rcs "$WEB_SYSROOT/lib/libminizip.a" "$o"/mz_*.o
  cp "$s/contrib/minizip/unzip.h" "$s/contrib/minizip/ioapi.h" "$WEB_SYSROOT/include/minizip/"
}

build_png() {
  local s=$work/libpng1.6 o=$work/png-build
  mkdir -p "$o"
  cp "$s/scripts/pnglibconf.h.prebuilt" "$o/pnglibconf.h"
  local f
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil; do
    emcc $CFLAGS_WEB -DPNG_ARM_NEON_OPT=0 -I"$o" -I"$WEB_SYSROOT/include" -c "$s/$f.c" -o "$o/$f.o"
  done
  emar rcs "$WEB_SYSROOT/lib/libpng16.a" "$o"/*.o
  ln -sf libpng16.a "$WEB_SYSROOT/lib/libpng.a"
  cp "$s/png.h" "$s/pngconf.h" "$o/pnglibconf.h" "$WEB_SYSROOT/include/"
}

build_jpeg() {
  local o=$work/jpeg-build
  # Its configure test cannot run a program here and guesses size_t wrong.
  emcmake cmake -S "$work/libjpeg-turbo" -B "$o" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DSIZE_T=4 -DUNSIGNED_LONG=4 >/dev/null
  cmake --build "$o" -j "$jobs" --target jpeg-static >/dev/null
  cp "$o/libjpeg.a" "$WEB_SYSROOT/lib/"
  cp "$o/jconfig.h" "$work/libjpeg-turbo/jpeglib.h" "$work/libjpeg-turbo/jmorecfg.h" \
    "$work/libjpeg-turbo/jerror.h" "$WEB_SYSROOT/include/"
}

# FreeType's gzip support uses our zlib: its own copy would clash with it.
build_freetype() {
  local o=$work/freetype-build
  emcmake cmake -S "$work/freetype" -B "$o" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$WEB_SYSROOT" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_BROTLI=ON \
    -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$WEB_SYSROOT/lib/libz.a" -DZLIB_INCLUDE_DIR="$WEB_SYSROOT/include" >/dev/null
  cmake --build "$o" -j "$jobs" >/dev/null
  cmake --install "$o" >/dev/null
}

# SDL's own configuration header for emscripten (no threads) chooses its
# drivers, so its sources compile directly: its CMake checks would link a
# test program per libc function, which takes longer than the library. The
# folders below are the drivers that header names; a source whose feature
# is off compiles to nothing.
build_sdl() {
  local s=$work/libsdl2 o=$work/sdl-build
  mkdir -p "$o" "$WEB_SYSROOT/include/SDL2"
  local folders=(. atomic audio audio/disk audio/dummy audio/emscripten cpuinfo dynapi events file
    filesystem/emscripten haptic haptic/dummy joystick joystick/emscripten joystick/virtual loadso/dlopen
    locale locale/emscripten misc misc/emscripten power power/emscripten render render/software
    render/opengles2 sensor sensor/dummy stdlib thread thread/generic timer timer/unix video
    video/emscripten video/dummy video/yuv2rgb)
  local sources=() f
  for f in "${folders[@]}"; do sources+=("$s/src/$f"/*.c); done
  printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} sh -c \
    'emcc -O2 -w -I"$1/include" -c "$2" -o "$3/$(echo "$2" | sed "s|^$1/src/||; s|^\./||; s|/|_|g").o"' sh "$s" {} "$o"
  rm -f "$WEB_SYSROOT/lib/libSDL2.a"
  emar rcs "$WEB_SYSROOT/lib/libSDL2.a" "$o"/*.o
  cp "$s"/include/*.h "$WEB_SYSROOT/include/SDL2/"
}

start=$(date +%s)
fetch_sources
for entry in "${missing[@]}"; do
  name=${entry%%=*}
  case $name in
    libsdl2) lib=sdl ;;
    libpng1.6) lib=png ;;
    libjpeg-turbo) lib=jpeg ;;
    *) lib=$name ;;
  esac
  echo "karrowen web: building $entry for WebAssembly"
  "build_$lib"
  touch "$built/$entry"
done
rm -rf "$work"
echo "karrowen web: libraries built in $(( $(date +%s) - start )) s into $WEB_SYSROOT"
