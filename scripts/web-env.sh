# Sourced by the web build scripts: where the WebAssembly libraries live and
# how Debian's emscripten is made usable. Its cache under /usr/share is frozen
# (no ports can be fetched or built there), so the toolchain works on a
# writable copy of it, named by a config file of our own.

KARROWEN_WEB_CACHE=${KARROWEN_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/karrowen-web}
WEB_SYSROOT=$KARROWEN_WEB_CACHE/sysroot
WEB_EMCACHE=$KARROWEN_WEB_CACHE/emscripten-cache
export EM_CONFIG=$KARROWEN_WEB_CACHE/emscripten-config
# Debian's emscripten is made for Debian's python.
if [ -x /usr/bin/python3 ]; then export EMSDK_PYTHON=/usr/bin/python3; fi
# emcc's JavaScript tools load acorn and friends from Debian's node modules.
export NODE_PATH=/usr/share/nodejs
# Node 20's fetch makes emcc's own generated scripts take the wrong path.
export NODE_OPTIONS="--no-experimental-fetch${NODE_OPTIONS:+ $NODE_OPTIONS}"

web_prepare_toolchain() {
  mkdir -p "$KARROWEN_WEB_CACHE"
  if [ ! -f "$WEB_EMCACHE/.copied" ]; then
    rm -rf "$WEB_EMCACHE"
    cp -a /usr/share/emscripten/cache "$WEB_EMCACHE"
    touch "$WEB_EMCACHE/.copied"
  fi
  sed -e "s|^FROZEN_CACHE.*|FROZEN_CACHE = False|" /usr/share/emscripten/.emscripten > "$EM_CONFIG.new"
  printf "\nCACHE = '%s'\n" "$WEB_EMCACHE" >> "$EM_CONFIG.new"
  mv "$EM_CONFIG.new" "$EM_CONFIG"
}
