#!/usr/bin/env bash
# glyphs.sh GLYPH_MATCH ARTEFACTS: runs the glyph comparison in a real freeglut window on a
# private Xvfb server; its report is kept as ARTEFACTS/web_glyphs/report.txt.
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
e2e_setup web_glyphs "$2"
start_xvfb
status=0
timeout 60 "$1" >"$E2E_ART/report.txt" 2>&1 || status=$?
tail -n1 "$E2E_ART/report.txt"
((status == 0)) || { cat "$E2E_ART/report.txt"; fail "glyphs differ (status $status)"; }
