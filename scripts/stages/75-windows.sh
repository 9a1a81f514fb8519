#!/usr/bin/env bash
# The Windows game as shipped, cross-built by scripts/windows.sh: the executable from the zip is
# a hardened GUI program that imports only Windows' own DLLs and carries its icon, version and
# manifest; then real Windows programs under Wine on Xvfb: the Linux game's end-to-end checks
# (tests/e2e/test_desktop.py: the same golden shots, exit status 0) through
# tests/windows/wine-run.sh, and the installer (tests/windows/install.sh).
set -euo pipefail
source scripts/deps.sh
ensure_packages wine64
scripts/windows.sh
BUILD=build/windows ART=build/windows/e2e
version=$(cmake -P cmake/changelog.cmake)
package=velkarovantine-$version-windows-x64
export WINEPREFIX=$PWD/build/wine

# --- The zip and the executable it ships -----------------------------------------------------
rm -rf "$ART" && mkdir -p "$ART"
python3 -m zipfile -e "$BUILD/$package.zip" "$ART"
files=$(cd "$ART" && find . -type f | sort | xargs)
[[ $files == "./$package/LICENSE.txt ./$package/README.txt ./$package/velkarovantine.exe" ]] ||
    { echo "the zip holds: $files"; exit 1; }
grep -q $'Escape.*\r$' "$ART/$package/README.txt" || { echo "README.txt: no Windows lines"; exit 1; }
EXE=$ART/$package/velkarovantine.exe

headers=$(x86_64-w64-mingw32-objdump -p "$EXE")
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort | xargs)
echo "imports: $imports"
for dll in $imports; do
    [[ " advapi32.dll gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll winmm.dll " \
        == *" $dll "* ]] || { echo "imports $dll, which is not part of Windows"; exit 1; }
done
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a GUI program"; exit 1; }
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || { echo "DllCharacteristics lacks $flag"; exit 1; }
done
x86_64-w64-mingw32-objdump -h "$EXE" | grep -qw .reloc || { echo "no relocations for ASLR"; exit 1; }
echo "$(grep DllCharacteristics <<<"$headers" | xargs), relocatable: ASLR, high-entropy VA, DEP"

# The icon freeglut gives its window, the version and the manifest, as Windows reads them.
wrestool -x -t 14 -n GLUT_ICON "$EXE" >"$ART/icon.ico"
sizes=$(icotool -l "$ART/icon.ico" | sed 's/.*--width=\([0-9]*\).*/\1/' | xargs)
[[ $sizes == "16 24 32 48 64 128 256" ]] || { echo "icon sizes: $sizes"; exit 1; }
version_info=$(wrestool -x --raw -t 16 "$EXE" | strings -el | paste -sd'|')
for pair in "ProductName|Velkarovantine" "FileDescription|Velkarovantine" \
    "ProductVersion|$version" "FileVersion|$version" "LegalCopyright|Copyright (c) "; do
    [[ "|$version_info" == *"|$pair"* ]] || { echo "version information lacks $pair"; exit 1; }
done
wrestool -x --raw -t 24 "$EXE" | grep -q 'level="asInvoker"' || { echo "no manifest"; exit 1; }
echo "icon $sizes px, version $version, manifest: in place"

# --- Under Wine --------------------------------------------------------------------------------
WINE_INIT_ONLY=1 tests/windows/wine-run.sh
# The Linux game's end-to-end checks with the Windows game as their platform.
/usr/bin/python3 -m pytest tests/e2e/test_desktop.py -k wine --wine "$PWD/$EXE" --artefacts "$ART"
bash tests/windows/install.sh "$BUILD/$package-setup.exe" "$version" "$ART"
