#!/usr/bin/env bash
# Release build into a Debian package: checks the desktop entry, the AppStream metainfo, the
# manual page and the icons, runs lintian (any tag fails) and hardening-check on the package,
# installs it under a user's prefix (bin/) and then as Debian does (/usr/games), starts the
# INSTALLED game from its desktop entry under Xvfb, sees its title screen as the reference shot,
# quits with Escape (status 0; the end-to-end suite's title check) and removes the package again,
# whatever happened.
# Without root the package is unpacked into a scratch folder and the game is started from there.
set -euo pipefail
BUILD=build/package   # the preset's binary folder
APP_ID=io.github.velkarovantine.Velkarovantine
PKG=velkarovantine
DESKTOP=/usr/share/applications/$APP_ID.desktop

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
log() { printf '[package] %s\n' "$*"; }
fail() { log "FAIL: $*"; exit 1; }

# --- The metadata files, as the build makes them for this version --------------------------
cmake --preset package >"$TMP/configure.log"
version=$(cmake -P cmake/changelog.cmake)
desktop-file-validate "packaging/$APP_ID.desktop"
appstreamcli validate --no-net "$BUILD/packaging/$APP_ID.metainfo.xml"
man_warnings=$(groff -man -ww -z "$BUILD/packaging/velkarovantine.6" 2>&1)
[[ -z $man_warnings ]] || fail "manual page: $man_warnings"
packaging/render-icons.sh --check || fail "icons out of date"
log "metadata valid for version $version"

# --- The package ---------------------------------------------------------------------------
cmake --build --preset package -j"$(nproc)"
rm -f "$BUILD"/*.deb
cpack --preset package >"$TMP/cpack.log" || fail "cpack: $(cat "$TMP/cpack.log")"
deb=$BUILD/${PKG}_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb; cpack wrote: $(ls "$BUILD"/*.deb 2>/dev/null)"
dpkg-deb -I "$deb"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "section is not games"
dpkg-deb -f "$deb" Depends | grep -q 'libglut' || fail "Depends lacks the GLUT library"
tags=$(lintian --pedantic --display-info --display-experimental "$deb" 2>&1 |
    grep -v '^running with root privileges' || true)
[[ -z $tags ]] || fail "lintian: $tags"
log "lintian: no tag"

# A user's prefix keeps bin/, and the desktop entry names the program there.
home=$TMP/home
cmake --install "$BUILD" --prefix "$home/.local" >/dev/null
entry=$home/.local${DESKTOP#/usr}
user_program=$home/.local/bin/velkarovantine
grep -qx "Exec=$user_program" "$entry" && [[ -x $user_program ]] ||
    fail "under a user's prefix: $(grep Exec "$entry"), bin/ has $(ls "$home/.local/bin")"

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
else
    root=$TMP/root
    dpkg-deb -x "$deb" "$root"
    log "not root: unpacked the package instead of installing it"
fi
for file in /usr/games/velkarovantine "$DESKTOP" \
    "/usr/share/metainfo/$APP_ID.metainfo.xml" \
    "/usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" \
    "/usr/share/icons/hicolor/16x16/apps/$APP_ID.png" \
    "/usr/share/icons/hicolor/256x256/apps/$APP_ID.png" \
    /usr/share/man/man6/velkarovantine.6.gz \
    /usr/share/doc/velkarovantine/copyright /usr/share/doc/velkarovantine/changelog.gz; do
    [[ -s $root$file ]] || fail "missing from the installed package: $file"
done
desktop-file-validate "$root$DESKTOP"
program=$(sed -n 's/^Exec=//p' "$root$DESKTOP")
[[ $program == /usr/games/velkarovantine && -x $root$program ]] ||
    fail "the desktop entry starts $program"
# Control flow integrity: the game's code has CET's marks, but Debian 12's C start files do not,
# so the linker cannot mark the program: hardening-check's line for it cannot pass here.
hardening-check --nocfprotection "$root$program" || fail "hardening-check"
(($(objdump -d "$root$program" | grep -c endbr64) > 0)) || fail "no CET marks in the game's code"
[[ $(zcat "$root/usr/share/doc/velkarovantine/changelog.gz") == "$PKG ($version) "* ]] ||
    fail "the changelog's newest entry is not $version"
zcat "$root/usr/share/man/man6/velkarovantine.6.gz" | grep -q '^\.SH EXIT STATUS' ||
    fail "the installed manual page has no EXIT STATUS section"
log "installed files in place"

/usr/bin/python3 -m pytest tests/e2e/test_desktop.py -k "reference_picture and linux" \
    --game "$root$program" --artefacts "$BUILD/e2e" ||
    fail "the installed game shows no title screen as golden/title.png, or does not quit with 0"
log "the installed game shows its title screen and quits with 0"
