#!/usr/bin/env bash
# Puts qrcodegen's C++ source (cpp/qrcodegen.cpp and .hpp, MIT) into DIR, taken from Debian's source
# package qr-code-generator through apt's own client. A private apt configuration under DIR's parent
# keeps the machine's apt set-up untouched. Does nothing when both files are there.
set -euo pipefail
out=$(realpath -m "${1:?usage: fetch-qrcodegen.sh DIR}")
[ -s "$out/qrcodegen.cpp" ] && [ -s "$out/qrcodegen.hpp" ] && exit 0

package=qr-code-generator
work="$(dirname "$out")/apt-source"
rm -rf "$work"
mkdir -p "$work/sources.list.d" "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
trap 'rm -rf "$work"' EXIT
: >"$work/sources.list"

# The first entry of the machine's Debian sources, as a deb-src entry: same mirror, suites and key.
awk 'BEGIN { RS = ""; ORS = "\n\n" }
  !done && /(^|\n)URIs:/ { sub(/Types:[^\n]*/, "Types: deb-src"); print; done = 1 }' \
  /etc/apt/sources.list.d/debian.sources >"$work/sources.list.d/debian-src.sources"
grep -q '^URIs:' "$work/sources.list.d/debian-src.sources" ||
  { echo "setup: no Debian entry in /etc/apt/sources.list.d/debian.sources" >&2; exit 1; }
cat >"$work/apt.conf" <<EOF
Dir::Etc::sourcelist "$work/sources.list";
Dir::Etc::sourceparts "$work/sources.list.d";
Dir::State::Lists "$work/lists";
Dir::Cache "$work/cache";
EOF
export APT_CONFIG="$work/apt.conf"

echo "setup: fetching qrcodegen from Debian's source package $package into $out"
apt-get update -q >/dev/null
# The Debian diff can be missing on the mirror while the upstream tarball downloads; only the
# upstream tarball is needed, so apt's verdict on the rest does not matter.
(cd "$work/download" && apt-get source --download-only -q "$package" >/dev/null 2>&1) || true

dsc=$(find "$work/download" -name "${package}_*.dsc" | head -n 1)
orig=$(find "$work/download" -name "${package}_*.orig.tar.*" | head -n 1)
if [ -z "$dsc" ] || [ -z "$orig" ]; then
  echo "setup: could not download $package's .dsc and upstream tarball" >&2
  exit 1
fi
expected=$(awk -v name="$(basename "$orig")" '
  /^Checksums-Sha256:/ { inside = 1; next }
  /^[^ ]/ { inside = 0 }
  inside && $3 == name { print $1 }' "$dsc")
actual=$(sha256sum "$orig" | cut -d' ' -f1)
if [ -z "$expected" ] || [ "$expected" != "$actual" ]; then
  echo "setup: $(basename "$orig") does not match the sha256 in $(basename "$dsc")" >&2
  exit 1
fi

# Unpacked beside the tarball and moved into place, so an interrupted run leaves no half file.
mkdir -p "$work/unpacked" "$out"
tar -xf "$orig" --no-same-owner -C "$work/unpacked" --strip-components=2 --wildcards \
  '*/cpp/qrcodegen.cpp' '*/cpp/qrcodegen.hpp'
if ! [ -s "$work/unpacked/qrcodegen.cpp" ] || ! [ -s "$work/unpacked/qrcodegen.hpp" ]; then
  echo "setup: $(basename "$orig") holds no cpp/qrcodegen.cpp and .hpp" >&2
  exit 1
fi
mv "$work/unpacked/qrcodegen.hpp" "$work/unpacked/qrcodegen.cpp" "$out/"
