#!/usr/bin/env bash
# wine-run.sh EXE [ARGS...]: runs a Windows program under Wine (wine64) and ends with its exit
# status once every Windows process it started has ended, so that runs never overlap. The Wine
# prefix is our own, WINEPREFIX or build/wine, made on first use (WINE_INIT_ONLY=1: only that).
# A TERM, INT or HUP ends the program and everything Wine runs for it.
set -euo pipefail
WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/wine}
export WINEDEBUG=-all WINEARCH=win64
# Neither an offer to download Wine's .NET and HTML engines, which no program here needs, nor
# Linux menu entries and icons for what an installer puts in the Start menu.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX" # Wine makes the prefix itself, but not the folders above it
    "$WINE" wineboot --init >/dev/null 2>&1
    # A program that crashes ends with its error status instead of waiting in Wine's crash dialog.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
    "$WINESERVER" --wait
fi
[[ ${WINE_INIT_ONLY:-0} == 1 ]] && exit 0

"$WINE" "$@" &
program=$!
trap 'kill -TERM $program 2>/dev/null; "$WINESERVER" --kill; exit 143' TERM INT HUP
status=0
wait "$program" || status=$?
"$WINESERVER" --wait
exit "$status"
