#!/usr/bin/env bash
# The release: scripts/release.sh gathers every artefact into dist/, bringing the package and web
# builds of the stages before it up to date. Its sums must check and cover every file there,
# which must include this version's package, web site and source tarball (and the Windows zip
# and installer, where the tree has their build); the tarball holds the committed tree.
set -euo pipefail
scripts/release.sh
version=$(cmake -P cmake/changelog.cmake)
cd dist
sha256sum -c SHA256SUMS
listed=$(awk '{print $2}' SHA256SUMS | sort | xargs)
present=$(ls | grep -vx SHA256SUMS | sort | xargs)
[[ $listed == "$present" ]] || { echo "SHA256SUMS lists $listed; dist/ has $present" >&2; exit 1; }
expected=("velkarovantine_${version}_$(dpkg --print-architecture).deb"
    "velkarovantine-web-$version.zip" "velkarovantine-$version.tar.gz")
if [[ -f ../scripts/windows.sh ]]; then
    expected+=("velkarovantine-$version-windows-x64.zip"
        "velkarovantine-$version-windows-x64-setup.exe")
fi
for artefact in "${expected[@]}"; do
    [[ -s $artefact ]] || { echo "dist/ has no $artefact" >&2; exit 1; }
done
top=velkarovantine-$version
tarred=$(tar -tzf "$top.tar.gz" | grep -v '/$' | sort)
committed=$(git ls-tree --full-tree -r --name-only HEAD | sed "s|^|$top/|" | sort)
[[ $tarred == "$committed" ]] || { echo "the tarball is not the committed tree" >&2; exit 1; }
echo "dist/: $present, sums checked"
