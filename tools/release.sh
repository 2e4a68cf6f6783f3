#!/usr/bin/env bash
# Builds the release set from fresh build trees (build/release-x64, build/release-arm64) into dist/:
#   x64/Lumenfold.exe, arm64/Lumenfold.exe   the programs
#   Lumenfold-VERSION-ARCH-portable.zip      each with README.txt (src/installer/portable.txt)
#   Lumenfold-VERSION-ARCH-setup.exe         the per-user installers (src/installer/lumenfold.nsi)
#   winget/                                  the manifests: version, installer, default locale
#   SHA256SUMS                               of every other file
# With LUMENFOLD_SIGN_PKCS12 (and LUMENFOLD_SIGN_PASSWORD, optionally LUMENFOLD_SIGN_TIMESTAMP; see
# tools/sign.sh) every executable is signed, the uninstaller too; without it the set is unsigned.
# LUMENFOLD_DOWNLOAD_URL: the folder the installers will be published in, for winget.
# The tests run the steps after the build on executables they already have:
#   tools/release.sh --package X64_EXE ARM64_EXE DIST
#   tools/release.sh --installer ARCH EXE OUTFILE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sign=()
[ -z "${LUMENFOLD_SIGN_PKCS12:-}" ] || sign=("-DSIGN=$root/tools/sign.sh")
version=$(sed -n 's/^#define LUMENFOLD_VERSION_NUMBERS //p' "$root/src/resources/version.h" | tr -d ' ' | tr , .)
id=Lumenfold.Lumenfold schema=1.6.0
url=${LUMENFOLD_DOWNLOAD_URL:-https://downloads.example.invalid/lumenfold/$version}

installer() {  # ARCH EXE OUTFILE [ICON]; by default the icon the build rendered beside the executable
  local exe; exe=$(realpath "$2")
  # makensis works from the script's folder: every path absolute.
  makensis -V2 -INPUTCHARSET UTF8 -DARCH="$1" -DEXE="$exe" -DOUTFILE="$(realpath -m "$3")" \
    -DICON="$(realpath "${4:-${exe%.exe}-resources/lumenfold.ico}")" "${sign[@]}" "$root/src/installer/lumenfold.nsi"
}

manifest() {  # TYPE: the header every manifest starts with
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n' "$1" $schema
  printf 'PackageIdentifier: %s\nPackageVersion: %s\n' $id "$version"
}

package() {  # X64_EXE ARM64_EXE DIST
  local dist arch exe
  dist=$(realpath -m "$3")
  rm -rf "$dist"
  mkdir -p "$dist/winget" "$dist/.readme"
  # Notepad before Windows 10 1809 shows a text with bare line feeds as one line.
  sed 's/$/\r/' "$root/src/installer/portable.txt" >"$dist/.readme/README.txt"
  for arch in x64 arm64; do
    [ $arch = x64 ] && exe=$1 || exe=$2
    mkdir "$dist/$arch"
    cp "$exe" "$dist/$arch/Lumenfold.exe"
    [ ${#sign[@]} = 0 ] || "$root/tools/sign.sh" "$dist/$arch/Lumenfold.exe"
    zip -q -X -j "$dist/Lumenfold-$version-$arch-portable.zip" "$dist/$arch/Lumenfold.exe" "$dist/.readme/README.txt"
    installer $arch "$dist/$arch/Lumenfold.exe" "$dist/Lumenfold-$version-$arch-setup.exe" \
      "${exe%.exe}-resources/lumenfold.ico"
  done
  rm -r "$dist/.readme"

  { manifest version; printf 'DefaultLocale: en-US\nManifestType: version\nManifestVersion: %s\n' $schema; } \
    >"$dist/winget/$id.yaml"
  { manifest defaultLocale
    cat <<EOF
PackageLocale: en-US
Publisher: Lumenfold
PackageName: Lumenfold
License: Proprietary
ShortDescription: Dims the screen except the clear skylights you cut into it.
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
  } >"$dist/winget/$id.locale.en-US.yaml"
  { manifest installer
    cat <<EOF
InstallerType: nullsoft
Scope: user
InstallModes: [interactive, silent, silentWithProgress]
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
UpgradeBehavior: install
ProductCode: Lumenfold
ExpectedReturnCodes:
  - InstallerReturnCode: 2
    ReturnResponse: downgrade
  - InstallerReturnCode: 3
    ReturnResponse: packageInUse
Installers:
EOF
    for arch in x64 arm64; do
      printf '  - Architecture: %s\n    InstallerUrl: %s/%s\n    InstallerSha256: %s\n' $arch "$url" \
        "Lumenfold-$version-$arch-setup.exe" "$(sha256sum <"$dist/Lumenfold-$version-$arch-setup.exe" | cut -c1-64)"
    done
    printf 'ManifestType: installer\nManifestVersion: %s\n' $schema
  } >"$dist/winget/$id.installer.yaml"
  (cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort | xargs sha256sum >SHA256SUMS)
  if [ ${#sign[@]} = 0 ]; then
    echo "release: UNSIGNED: no certificate given (LUMENFOLD_SIGN_PKCS12)"
  else
    echo "release: signed with $LUMENFOLD_SIGN_PKCS12"
  fi
}

case "${1:-}" in
  --package) package "$2" "$3" "$4"; exit ;;
  --installer) installer "$2" "$3" "$4"; exit ;;
esac
"$root/tools/setup.sh"
[ -z "$(git -C "$root" status --porcelain)" ] || echo "release: warning: the tree has uncommitted changes"
for arch in x64 arm64; do
  rm -rf "$root/build/release-$arch"
  cmake --preset windows-$arch -B "$root/build/release-$arch" >/dev/null
  cmake --build "$root/build/release-$arch" --target Lumenfold
done
package "$root/build/release-x64/src/Lumenfold.exe" "$root/build/release-arm64/src/Lumenfold.exe" "$root/dist"
echo "release: Lumenfold $version in $root/dist"
