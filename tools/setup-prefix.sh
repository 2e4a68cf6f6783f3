#!/usr/bin/env bash
# Creates the template Wine prefix that every test copies. A marker file records which version of
# this script finished it, so an interrupted creation or a changed script starts again from scratch.
set -euo pipefail
prefix=${1:?usage: setup-prefix.sh DIR}
version=$(sha256sum "$0" | cut -c1-16)
[ "$(cat "$prefix/.lumenfold-template" 2>/dev/null)" = "$version" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
home=$(mktemp -d)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$home"' EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all HOME="$home"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
echo "setup: creating the template Wine prefix in $prefix"
wineboot -i >/dev/null 2>&1
wineserver -w
# Wine has no "Segoe UI"; the program keeps asking for it, so map the name onto an installed face
# with Windows-like metrics (WenQuanYi's come out a pixel short), and link the Chinese half of every
# text to a CJK face.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /t REG_SZ /d 'DejaVu Sans' /f >/dev/null 2>&1
# Links go by face name, so the bold face needs its own (GDI+ asks for it by name).
for face in 'DejaVu Sans' 'DejaVu Sans Bold'; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
    /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null 2>&1
done
# Test displays have no window manager; without this, Wine waits two seconds for one to acknowledge
# every window it hides or destroys.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A crash must end the process, not wait behind a debugger dialog nobody will close.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
# The user folders are symlinks into the HOME that made the prefix; tests must never write there.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
done
echo "$version" > "$prefix/.lumenfold-template"
