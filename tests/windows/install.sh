#!/usr/bin/env bash
# install.sh SETUP VERSION ARTEFACTS: the Windows installer under Wine (WINEPREFIX). Installed
# silently (/S) for all users: the game, its texts and uninstaller in Program Files, the Start menu
# entry, the "Apps & features" entry with name, version, icon and size; the installed game shows
# its title screen and Escape ends it with status 0; the uninstaller (/S) removes all of it.
set -euo pipefail
RUN=$(dirname "$0")/wine-run.sh
log() { printf '[install] %s\n' "$*"; }
fail() { log "FAIL: $*"; exit 1; }
APP='C:\Program Files\Velkarovantine'
app_dir="$WINEPREFIX/drive_c/Program Files/Velkarovantine"
menu_dir="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velkarovantine"

# The values of the game's "Apps & features" entry, as Wine keeps them in system.reg.
uninstall_entry() {
    awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Velkarovantine\]/ {
        found = 1; next } found && /^$/ { exit } found' "$WINEPREFIX/system.reg"
}
entry_value() { uninstall_entry | sed -n "s/^\"$1\"=//p"; }

# A copy left by an earlier run would hide a broken install.
[[ -f $app_dir/Uninstall.exe ]] && "$RUN" "$APP\\Uninstall.exe" /S
"$RUN" "$1" /S || fail "the installer ended with status $?"
for file in velkarovantine.exe README.txt LICENSE.txt Uninstall.exe; do
    [[ -s $app_dir/$file ]] || fail "not installed: $APP\\$file"
done
[[ -s $menu_dir/Velkarovantine.lnk ]] || fail "no Start menu entry Velkarovantine"
[[ $(entry_value DisplayName) == '"Velkarovantine"' && $(entry_value DisplayVersion) == "\"$2\"" &&
    $(entry_value DisplayIcon) == '"C:\\Program Files\\Velkarovantine\\velkarovantine.exe"' &&
    $(entry_value EstimatedSize) =~ ^dword:0000[0-9a-f]{4}$ ]] ||
    fail "Apps & features entry: $(uninstall_entry)"
log "installed in $APP, with its Start menu and Apps & features entries"

"${VELK_PYTHON:-/usr/bin/python3}" -m pytest "$(dirname "$0")/../e2e/test_desktop.py" \
    -k "reference_picture and wine" --wine "$APP\\velkarovantine.exe" --artefacts "$3/install" ||
    fail "the installed game shows no title screen as golden/title.png, or does not quit with 0"

"$RUN" "$APP\\Uninstall.exe" /S || fail "the uninstaller ended with status $?"
[[ ! -e $app_dir && ! -e $menu_dir && -z $(uninstall_entry) ]] ||
    fail "left behind: $(ls "$app_dir" "$menu_dir" 2>&1) $(uninstall_entry)"
log "uninstalled: no files, Start menu entry or Apps & features entry left"
