#!/usr/bin/env bash
# Installs what building, running and testing Lumenfold needs, only where it is missing,
# then prepares the cross-built GoogleTest and the template Wine prefix under build/.
# Safe to run again: every step checks before it acts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(
  cmake ninja-build python3 file git ca-certificates openssl
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine64 wine xvfb xdotool imagemagick x11-apps x11-utils x11-xserver-utils picom
  xserver-xorg-core xserver-xorg-video-dummy x11-xkb-utils xkb-data
  nlohmann-json3-dev googletest libbenchmark-dev clang libclang-rt-14-dev llvm-14
  nsis zbar-tools fonts-wqy-zenhei fonts-dejavu-core procps psmisc
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Node.js may come from another repository that bundles npm; ask only for what is absent.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_=""; [ "$(id -u)" = 0 ] || sudo_=sudo
  $sudo_ apt-get update -q
  $sudo_ apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

"$root/tools/setup-prefix.sh" "$deps/wine-template"
