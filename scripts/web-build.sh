#!/usr/bin/env bash
# make web: the page in WEB_BUILD (default build-web), served from its page/
# folder. The libraries are built once into the cache (scripts/web-libs.sh);
# the pictures are drawn by the native generator of the native build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
native=${1:-build}
web=${2:-build-web}
jobs=${JOBS:-$(nproc)}
. "$here/web-env.sh"

nice "$here/web-libs.sh"
cmake -S "$root" -B "$root/$native" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/$native" -j "$jobs" --target karrowen-gen
web_prepare_toolchain
emcmake cmake -S "$root" -B "$root/$web" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
  -DKARROWEN_WEB_SYSROOT="$WEB_SYSROOT" -DKARROWEN_GENERATOR="$root/$native/bin/karrowen-gen" >/dev/null
cmake --build "$root/$web" -j "$jobs"
page=$root/$web/page
echo "karrowen web: the page is in $page ($(du -h "$page/karrowen.wasm" | cut -f1) of WebAssembly, $(du -h "$page/karrowen.data" | cut -f1) of data)"
