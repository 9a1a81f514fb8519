#!/usr/bin/env bash
# The release: scripts/release.sh gathers every artefact into dist/, bringing the package and web
# builds of the stages before it up to date. Its sums must check, cover every file there, and
# name this version's package, web site and source; the source tarball holds the committed tree.
set -euo pipefail
scripts/release.sh
version=$(cmake -P cmake/changelog.cmake)
cd dist
sha256sum -c SHA256SUMS
listed=$(awk '{print $2}' SHA256SUMS | sort | xargs)
present=$(ls | grep -vx SHA256SUMS | sort | xargs)
[[ $listed == "$present" ]] || { echo "SHA256SUMS lists $listed; dist/ has $present" >&2; exit 1; }
for artefact in "velkarovantine_${version}_$(dpkg --print-architecture).deb" \
    "velkarovantine-web-$version.zip" "velkarovantine-$version.tar.gz"; do
    [[ -s $artefact ]] || { echo "dist/ has no $artefact" >&2; exit 1; }
done
[[ $(tar -tzf "velkarovantine-$version.tar.gz" | grep -v '/$' | sort) == \
    $(git ls-tree --full-tree -r --name-only HEAD | sed "s|^|velkarovantine-$version/|" | sort) ]] ||
    { echo "the source tarball is not the committed tree" >&2; exit 1; }
echo "dist/: $present, sums checked"
