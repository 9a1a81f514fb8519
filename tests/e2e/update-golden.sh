#!/usr/bin/env bash
# update-golden.sh [EXE]: grabs the title screen and the first crash screen anew as the reference
# pictures in tests/e2e/golden/. Only for a deliberate change of the picture: look at the new
# PNGs before committing them.
set -euo pipefail
here=$(dirname "$0")
exe=${1:-build/main/src/app/velkarovantine}
art=$(mktemp -d)
trap 'rm -rf "$art"' EXIT
E2E_UPDATE_GOLDEN=1 bash "$here/title.sh" "$exe" "$art"
E2E_UPDATE_GOLDEN=1 bash "$here/quit.sh" "$exe" "$art"
