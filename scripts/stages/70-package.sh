#!/usr/bin/env bash
# Release build into a Debian package: checks the desktop entry, the AppStream metainfo, the
# manual page and the icons, installs the package, starts the INSTALLED game under Xvfb, sees its
# title screen, quits with Escape (status 0; tests/e2e/desktop.py title) and removes the package
# again, whatever happened.
# Without root the package is unpacked into a scratch folder and the game is started from there.
set -euo pipefail
BUILD=build/package
APP_ID=io.github.velkarovantine.Velkarovantine
PKG=velkarovantine

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
log() { printf '[package] %s\n' "$*"; }
fail() { log "FAIL: $*"; exit 1; }

# --- The metadata files, as they are in the source tree ------------------------------------
desktop-file-validate "packaging/$APP_ID.desktop"
appstreamcli validate --no-net "packaging/$APP_ID.metainfo.xml"
man_warnings=$(groff -man -ww -z packaging/velkarovantine.6 2>&1)
[[ -z $man_warnings ]] || fail "manual page: $man_warnings"
packaging/render-icons.sh --check || fail "icons out of date"

version=$(sed -n 's/^project(Velkarovantine VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
release=$(grep -m1 -o '<release version="[^"]*"' "packaging/$APP_ID.metainfo.xml" | cut -d'"' -f2)
man_version=$(sed -n 's/^\.TH .*"Velkarovantine \([0-9.]*\)".*/\1/p' packaging/velkarovantine.6)
[[ -n $version && $release == "$version" && $man_version == "$version" ]] ||
    fail "version $version, newest metainfo release $release, manual page $man_version"
log "metadata valid for version $version"

# --- The package ---------------------------------------------------------------------------
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELK_BUILD_TESTS=OFF -DVELK_BUILD_BENCH=OFF >"$TMP/configure.log"
cmake --build "$BUILD" -j"$(nproc)"
rm -f "$BUILD"/*.deb
(cd "$BUILD" && cpack -G DEB >"$TMP/cpack.log") || fail "cpack: $(cat "$TMP/cpack.log")"
deb=$BUILD/${PKG}_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb; cpack wrote: $(ls "$BUILD"/*.deb 2>/dev/null)"
dpkg-deb -I "$deb"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "section is not games"
dpkg-deb -f "$deb" Depends | grep -q 'libglut' || fail "Depends lacks the GLUT library"

# --- Installed -----------------------------------------------------------------------------
remove_package() {
    if dpkg-query -W -f='${db:Status-Status}' "$PKG" 2>/dev/null | grep -qx installed; then
        dpkg --purge "$PKG" >/dev/null && log "package removed"
    fi
}
if [[ $(id -u) -eq 0 ]]; then
    remove_package # a copy left by someone else would hide a broken install
    trap 'status=$?; set +e; rm -rf "$TMP"; remove_package; exit $status' EXIT
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "./$deb" \
        >"$TMP/apt.log" 2>&1 || fail "apt-get install: $(tail -n 20 "$TMP/apt.log")"
    root=''
    [[ $(command -v velkarovantine) == /usr/bin/velkarovantine ]] || fail "not on PATH"
else
    root=$TMP/root
    dpkg-deb -x "$deb" "$root"
    log "not root: unpacked the package instead of installing it"
fi
for file in /usr/bin/velkarovantine \
    "/usr/share/applications/$APP_ID.desktop" \
    "/usr/share/metainfo/$APP_ID.metainfo.xml" \
    "/usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" \
    "/usr/share/icons/hicolor/16x16/apps/$APP_ID.png" \
    "/usr/share/icons/hicolor/256x256/apps/$APP_ID.png" \
    /usr/share/man/man6/velkarovantine.6.gz \
    /usr/share/doc/velkarovantine/copyright; do
    [[ -s $root$file ]] || fail "missing from the installed package: $file"
done
[[ -x $root/usr/bin/velkarovantine ]] || fail "the game is not executable"
zcat "$root/usr/share/man/man6/velkarovantine.6.gz" | grep -q '^\.SH EXIT STATUS' ||
    fail "the installed manual page has no EXIT STATUS section"
log "installed files in place"

/usr/bin/python3 tests/e2e/desktop.py title "$BUILD/e2e" "$root/usr/bin/velkarovantine" ||
    fail "the installed game shows no title screen, or does not quit with 0 on Escape"
log "the installed game shows its title screen and quits with 0"
