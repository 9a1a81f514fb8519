#!/usr/bin/env bash
# render-icons.sh: renders the PNG icons from the scalable one, for the desktop package and the
# web site (which takes 32, 192 and 512). Run it after editing the SVG and commit the PNGs it
# writes. With --check it renders into a scratch folder instead and fails when a committed PNG is
# missing, has the wrong size, or differs visibly from a fresh rendering.
set -euo pipefail
cd "$(dirname "$0")/icons/hicolor"
APP_ID=io.github.velkarovantine.Velkarovantine
SIZES=(16 24 32 48 64 128 192 256 512)
SVG="scalable/apps/$APP_ID.svg"

check=false
[ "${1:-}" = "--check" ] && check=true
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for size in "${SIZES[@]}"; do
    png="${size}x${size}/apps/$APP_ID.png"
    if ! $check; then
        mkdir -p "${png%/*}"
        rsvg-convert -w "$size" -h "$size" "$SVG" -o "$png"
        continue
    fi
    rsvg-convert -w "$size" -h "$size" "$SVG" -o "$scratch/fresh.png"
    if [ ! -f "$png" ]; then
        echo "missing icon: $png" >&2
        status=1
        continue
    fi
    if [ "$(identify -format '%wx%h' "$png")" != "${size}x${size}" ]; then
        echo "wrong size: $png is $(identify -format '%wx%h' "$png")" >&2
        status=1
        continue
    fi
    # Pixels that differ by more than a few percent; renderer versions may shift edges slightly.
    differing=$(compare -metric AE -fuzz 5% "$png" "$scratch/fresh.png" null: 2>&1 || true)
    if [ "${differing%%.*}" -gt $((size * size / 50)) ]; then
        echo "out of date: $png differs from the SVG in $differing pixels; run ${0##*/}" >&2
        status=1
    fi
done
exit $status
