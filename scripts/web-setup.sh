#!/usr/bin/env bash
# Installs the Debian packages the web page's build needs (and, with
# "test", those its browser test needs). Does nothing when all are present.
set -euo pipefail

packages=(
  emscripten        # the compiler, with Debian's clang and binaryen
  dpkg-dev          # dpkg-source unpacks the libraries' source packages
  cmake ninja-build
  fonts-liberation2 # the fonts the page ships
)
if [ "${1:-}" = test ]; then
  packages+=(chromium)
  command -v npm >/dev/null || packages+=(npm)
fi

exec "$(dirname "$0")/install-missing.sh" "${packages[@]}"
