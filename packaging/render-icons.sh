#!/usr/bin/env bash
# render-icons.sh: renders the PNG icons from the scalable one, for the desktop package and the
# web site (which takes 32, 192 and 512), and the web site's full-bleed icons: the maskable one
# (icons/web/icon-maskable-512.png) and the apple-touch-icon (icons/web/apple-touch-icon.png,
# 180 px). Full bleed is the same scene without the rounded tile, seen from further away, so that
# the car lies in the middle 80 % circle that every launcher's mask keeps. Run it after editing
# the SVG and commit the PNGs it writes. With --check it renders into a scratch folder instead
# and fails when a committed PNG is missing, has the wrong size, or differs visibly from a fresh
# rendering.
set -euo pipefail
cd "$(dirname "$0")/icons"
APP_ID=io.github.velkarovantine.Velkarovantine
SIZES=(16 24 32 48 64 128 192 256 512)
SVG="hicolor/scalable/apps/$APP_ID.svg"
# The scene reaches out to this view box beyond the tile's 0 0 256 256 (see the SVG).
FULL_BLEED_VIEW="-48 -48 352 352"

check=false
[ "${1:-}" = "--check" ] && check=true
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

full_bleed() { sed -e "s/viewBox=\"0 0 256 256\"/viewBox=\"$FULL_BLEED_VIEW\"/" \
    -e 's/ clip-path="url(#tile)"//' "$SVG"; }

# render SIZE PNG: the SVG on standard input at SIZE x SIZE into PNG, or checked against it.
status=0
render() {
    local size=$1 png=$2
    if ! $check; then
        mkdir -p "${png%/*}"
        rsvg-convert -w "$size" -h "$size" -o "$png"
        return
    fi
    rsvg-convert -w "$size" -h "$size" -o "$scratch/fresh.png"
    if [ ! -f "$png" ]; then
        echo "missing icon: $png" >&2
        status=1
        return
    fi
    if [ "$(identify -format '%wx%h' "$png")" != "${size}x${size}" ]; then
        echo "wrong size: $png is $(identify -format '%wx%h' "$png")" >&2
        status=1
        return
    fi
    # Pixels that differ by more than a few percent; renderer versions may shift edges slightly.
    differing=$(compare -metric AE -fuzz 5% "$png" "$scratch/fresh.png" null: 2>&1 || true)
    if [ "${differing%%.*}" -gt $((size * size / 50)) ]; then
        echo "out of date: $png differs from the SVG in $differing pixels; run ${0##*/}" >&2
        status=1
    fi
}

for size in "${SIZES[@]}"; do
    render "$size" "hicolor/${size}x${size}/apps/$APP_ID.png" <"$SVG"
done
full_bleed | render 512 web/icon-maskable-512.png
full_bleed | render 180 web/apple-touch-icon.png
exit $status
