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

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
