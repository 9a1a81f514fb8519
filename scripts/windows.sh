#!/usr/bin/env bash
# windows.sh: cross-builds the Windows game with MinGW-w64 (installing what is missing), with
# freeglut made once from Debian's source package, into build/windows:
#   velkarovantine-VERSION-windows-x64.zip         the game's folder, to unpack and play anywhere
#   velkarovantine-VERSION-windows-x64-setup.exe   its installer (Start menu entry, uninstaller)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages $(packages_from scripts/packages-windows.txt)
cmake --preset windows
cmake --build --preset windows -j"$(nproc)"
cpack --preset windows
ls -l build/windows/velkarovantine-*-windows-x64.zip build/windows/velkarovantine-*-windows-x64-setup.exe
