#!/usr/bin/env bash
# Prepares what running the ARM64 program here needs, only where missing: qemu's aarch64 emulation
# registered with binfmt_misc, a minimal arm64 Debian root with Wine in DIR (made once from Debian's
# packages, remade when the recipe below changes) and inside it, at /root/wine-template, a template
# prefix made by setup-prefix.sh as for x64. Where the kernel refuses the emulation it says why and
# ends without error: the ARM64 end-to-end checks then report that they could not run.
set -euo pipefail
root=${1:?usage: setup-arm64.sh DIR}
tools=$(cd "$(dirname "$0")" && pwd)
sudo_=""; [ "$(id -u)" = 0 ] || sudo_=sudo
binfmt=/proc/sys/fs/binfmt_misc

refused() {
  echo "setup: ARM64 emulation unavailable: $1; the ARM64 end-to-end checks will not run" >&2
  exit 0
}
[ -e $binfmt/register ] || $sudo_ mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null ||
  refused "binfmt_misc cannot be mounted"
grep -qx enabled $binfmt/qemu-aarch64 2>/dev/null || $sudo_ update-binfmts --enable qemu-aarch64 ||
  refused "qemu-aarch64 cannot be registered with binfmt_misc"

# Wine's X11 driver loads the X extensions' libraries only when present (they are recommended, not
# required): without them it sees no monitors of their own, draws no coloured pointer and so on.
x_libraries=libxrender1,libxrandr2,libxinerama1,libxcursor1,libxfixes3,libxi6,libxcomposite1,libxxf86vm1
recipe=(--arch=arm64 --variant=apt --include=wine,wine64,ca-certificates,$x_libraries bookworm)
version=$(echo "${recipe[*]}" | sha256sum | cut -c1-16)
if [ "$(cat "$root/.lumenfold-root" 2>/dev/null)" != "$version" ]; then
  # The host's own Debian mirror, or the default one.
  mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
  echo "setup: creating the arm64 Debian root with Wine in $root (a few minutes)"
  # A root whose making was cut short may still hold mmdebstrap's mounts of /proc, /sys and /dev:
  # they go first, deepest first, and the removal never crosses into another file system.
  findmnt -rn -o TARGET | awk -v under="$root/" 'index($0, under) == 1' | sort -r |
    while read -r mount; do $sudo_ umount -l "$mount"; done
  $sudo_ rm -rf --one-file-system "$root"
  $sudo_ mmdebstrap --quiet "${recipe[@]}" "$root" "${mirror:-http://deb.debian.org/debian}"
  echo "$version" | $sudo_ tee "$root/.lumenfold-root" >/dev/null
fi

# setup-prefix.sh itself decides whether the template is current; it runs inside the root, with a
# /tmp of its own that goes with it.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
$sudo_ "$tools/arm64-root.sh" --bind "$tools" --bind "$scratch:/tmp" -- \
  /bin/bash "$tools/setup-prefix.sh" /root/wine-template
