#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  lld  # links the programs and tests in a third of the time
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
  libsdl2-dev
  zlib1g-dev libminizip-dev
  libjpeg62-turbo-dev libpng-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2
  libosmesa6-dev  # only for the renderer comparison in karrowen-bench render
  libxmp-dev  # only for the module comparison in karrowen-bench mixer
  libgif-dev  # only for the decoder comparison in karrowen-bench gif
  sox
  zip  # make soak packs level folders into an archive
  desktop-file-utils appstream  # validate the installed desktop entry and metainfo
  xvfb openbox xdotool x11-utils  # the desktop window test: a real X display and window manager
)

exec "$(dirname "$0")/install-missing.sh" "${packages[@]}"
