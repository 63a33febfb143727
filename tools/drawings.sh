#!/usr/bin/env bash
# Draws the sample project's designs and its elevation sheet as PNG pictures:
#   tools/drawings.sh build/glazecalc-cli docs/drawings
set -euo pipefail
cli=$(realpath "$1")
out=$(realpath -m "$2")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" --workdir "$work" init >/dev/null
for no in 1 2 3 4 5 6 7 8 9; do
    "$cli" --workdir "$work" drawing SAMPLE-HOUSE "$no" -o "$out/design-$no.png"
done
"$cli" --workdir "$work" drawing SAMPLE-HOUSE -o "$work/sheet.pdf"
rm -f "$out"/project-sheet-*.png
pdftoppm -png -r 100 "$work/sheet.pdf" "$out/project-sheet"
