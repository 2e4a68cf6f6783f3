#!/usr/bin/env bash
# Runs a command inside the arm64 Debian root that tools/setup-arm64.sh makes, under qemu's user
# emulation, in a mount namespace of its own: every mount below goes when the command ends, and none
# touches the host's own paths. The root sees the host's devices, X sockets, fonts, /etc/hosts and CA
# bundle (those of the caller's namespace, so a test's own hosts file and bundle carry over).
# usage: arm64-root.sh [--bind HOST_PATH[:PATH_INSIDE]]... -- COMMAND [ARGS...]
set -euo pipefail
root=${LUMENFOLD_ARM64_ROOT:-$(cd "$(dirname "$0")/.." && pwd)/build/deps/arm64}
if [ "${1:-}" != --in-namespace ]; then
  [ -x "$root/usr/bin/wine" ] || { echo "arm64-root.sh: no arm64 root at $root: run tools/setup.sh" >&2; exit 127; }
  exec unshare --mount --propagation private "$0" --in-namespace "$@"
fi
shift
bind() {  # HOST_PATH PATH_INSIDE [OPTIONS]: a file over a file, a folder over a folder
  if [ -d "$1" ]; then mkdir -p "$root$2"; else [ -e "$root$2" ] || touch "$root$2"; fi
  mount --bind ${3:+-o "$3"} "$1" "$root$2"
}
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
for path in /usr/share/fonts /etc/fonts /var/cache/fontconfig /etc/hosts /etc/ssl/certs/ca-certificates.crt; do
  bind "$path" "$path" ro
done
while [ "$1" = --bind ]; do
  bind "${2%%:*}" "${2#*:}"
  shift 2
done
[ "$1" = -- ] && shift
bind /tmp/.X11-unix /tmp/.X11-unix  # after a bind over /tmp
exec chroot "$root" "$@"
