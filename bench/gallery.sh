#!/usr/bin/env bash
# The gallery page at 10,000 images: its size, and how quick it is in
# Chromium from a folder on disk (file://, nothing served). One 1600 x 1200
# photo-like JPEG is linked under 10,000 names (P0000001.JPG ...), so every
# cell is its own URL; htmlimglist-cli writes the page with PageStyle=1
# (200-pixel cells, 6 columns, a number, a size line and a file size under
# each). Prints
# a table: HTML bytes per cell and the fixed bytes (style, script, head and
# viewer: the page of an empty folder), first contentful paint, image
# requests before any scroll on a desktop and a phone screen, and the viewer
# stepping with → held down (30 key repeats a second).
#
#   bench/gallery.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
maker="$build/bin/htmlimglist-makecorpus"
[ -x "$cli" ] && [ -x "$maker" ] || { echo "build first: make build" >&2; exit 2; }
if [ ! -d tests/e2e/node_modules/playwright-core ]; then
    (cd tests/e2e && npm install --no-audit --no-fund --silent)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/source" "$work/photos" "$work/empty"
"$maker" "$work/source" 1 1600 1200 85 P >/dev/null
node -e '
  const fs = require("fs");
  const [source, folder] = process.argv.slice(1);
  for (let i = 1; i <= 10000; i++) fs.linkSync(source, `${folder}/P${String(i).padStart(7, "0")}.JPG`);
' "$work/source/P0001.JPG" "$work/photos"
touch "$work/bench.INI"
gallery=(-q --settings "$work/bench.INI" --set PageStyle=1 --set DisplayFileSize=1)
"$cli" "${gallery[@]}" "$work/empty"
"$cli" "${gallery[@]}" "$work/photos"
node "$root/bench/gallery.mjs" "$work/empty/index.html" "$work/photos/index.html" 10000
