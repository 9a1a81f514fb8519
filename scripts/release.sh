#!/usr/bin/env bash
# release.sh: builds every artefact of this version into dist/, with their SHA-256 sums in
# dist/SHA256SUMS (check them with: cd dist && sha256sum -c SHA256SUMS). The version is
# CHANGELOG.md's newest entry, and every artefact is named after it:
#
#   velkarovantine_VERSION_ARCH.deb     the Debian package (cpack --preset package)
#   velkarovantine-web-VERSION.zip      the web site for any static host (scripts/web.sh)
#   velkarovantine-VERSION.tar.gz       the source of the commit checked out (git archive)
#   ...-windows-x64.zip, -setup.exe     the Windows program and installer (scripts/windows.sh)
#
# Builds already there (the test stages', say) are brought up to date rather than made anew.
# Installs what is missing when run as root, as the other scripts do.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
start=$(date +%s)
ensure_packages $(packages_from scripts/packages-build.txt) dpkg-dev file git

version=$(cmake -P cmake/changelog.cmake)
arch=$(dpkg --print-architecture)

# Each builder builds its artefacts and prints their paths, one a line.
deb() {
    cmake --preset package >/dev/null
    cmake --build --preset package -j"$(nproc)" >/dev/null
    rm -f build/package/*.deb
    cpack --preset package >/dev/null
    echo "build/package/velkarovantine_${version}_$arch.deb"
}
web() {
    scripts/web.sh --build-only >/dev/null
    echo "build/web/velkarovantine-web-$version.zip"
}
source_tarball() {
    if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
        echo "release.sh: uncommitted changes are not in the source tarball" >&2
    fi
    mkdir -p build
    git archive --format=tar.gz --prefix="velkarovantine-$version/" \
        -o "build/velkarovantine-$version.tar.gz" HEAD
    echo "build/velkarovantine-$version.tar.gz"
}
windows() {
    scripts/windows.sh >/dev/null
    echo "build/windows/velkarovantine-$version-windows-x64.zip"
    echo "build/windows/velkarovantine-$version-windows-x64-setup.exe"
}
BUILDERS=(deb web source_tarball)
if [[ -f scripts/windows.sh ]]; then
    BUILDERS+=(windows)
fi

rm -rf dist
mkdir dist
for builder in "${BUILDERS[@]}"; do
    echo "=== $builder"
    for artefact in $("$builder"); do
        [[ -s $artefact ]] || { echo "release.sh: $builder made no $artefact" >&2; exit 1; }
        cp "$artefact" dist/
    done
done
(cd dist && sha256sum -- * >SHA256SUMS)
echo "dist/ holds version $version, built in $(($(date +%s) - start)) s:"
(cd dist && ls -l)
