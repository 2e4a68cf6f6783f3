#!/usr/bin/env bash
# Takes the README's pictures (docs/*.png) from the real program under a virtual display: skylights
# of several shapes over a made-up document, the toolbar with a banner and credits from a local HTTPS
# service, and the share dialog. Run it again when the look changes, and commit the pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/tools/setup.sh"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target Lumenfold lfprobe
PYTHONPATH=tests/harness LUMENFOLD_BUILD="$root/build/windows-x64" python3 docs/pictures.py
