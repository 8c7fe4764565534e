#!/usr/bin/env bash
# Installs whatever is missing, builds Verrow.exe and starts it under wine on a demo drive.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
if [ ! -f build/win32/Verrow.exe ]; then
    echo "demo: the build has no Verrow.exe yet (the main window is still being built); nothing was started."
    exit 1
fi
