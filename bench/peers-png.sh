#!/usr/bin/env bash
# PNG block of bench/peers.sh, also run on its own:
# 30 screenshot-like 1920 x 1080 PNGs (RGB, zlib's default level; flat
# windows, text-like edges, gradients): vipsthumbnail -s 200 (one process for
# all files) against a reduced run of htmlimglist-cli with default jobs and
# MoreImageTypes=1 (goal: at most 0.6 of vipsthumbnail's wall time). Then the
# peak memory of a reduced run over one 20000 x 20000 PNG of one colour,
# read row by row (goal: under 64 MB). Made by htmlimglist-makepngcorpus;
# skipped when it is not built.
#   bench/peers-png.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
pngmaker="$build/bin/htmlimglist-makepngcorpus"
if [ ! -x "$pngmaker" ] || [ ! -x "$cli" ]; then echo "peers-png: $pngmaker or $cli not built; skipped" >&2; exit 0; fi
command -v vipsthumbnail >/dev/null && [ -x /usr/bin/time ] || { echo "peers-png: needs vipsthumbnail and /usr/bin/time (bench/peers.sh installs them)" >&2; exit 2; }

work=${PEERS_DIR:-/tmp/htmlimglist-peers}
screens="$work/png/screens/photos"
if [ "$(ls "$screens" 2>/dev/null | wc -l)" -ne 30 ]; then
    echo "making 30 screenshot-like 1920 x 1080 PNGs in $screens ..." >&2
    rm -rf "$screens"; mkdir -p "$screens"
    "$pngmaker" screens "$screens" 15 1920 1080 A_ & "$pngmaker" screens "$screens" 15 1920 1080 B_; wait
fi
flat="$work/png/flat/photos"
[ -f "$flat/FLAT.png" ] || { mkdir -p "$flat"; "$pngmaker" flat "$flat/FLAT.png" 20000 20000; }
touch "$work/peers-png.INI"  # the conditions come from --set alone
cat "$screens"/*.png "$flat"/*.png > /dev/null  # warm the cache

. bench/measure.sh
run_ours_png() {  # FOLDER: reduced run with the default number of jobs
    rm -f "$(dirname "$1")"/*.png
    "$cli" -q --settings "$work/peers-png.INI" --set MakeSmallImage=1 --set MakeSmallImageAndOrgImageList=0 \
        --set ImageSurelyCreate=1 --set MaxPixel=200 --set MoreImageTypes=1 "$1"
}
run_vips_png() { rm -rf "$work/vipspng"; mkdir -p "$work/vipspng"; vipsthumbnail -s 200 -o "$work/vipspng/%s.jpg" "$screens"/*.png; }
export -f run_ours_png run_vips_png
export cli work screens

rows=()
rows+=("$(measure vipsthumbnail bash -c run_vips_png)")
rows+=("$(measure "htmlimglist-cli(jobs=$(nproc))" bash -c "run_ours_png '$screens'")")
rows+=("$(measure "htmlimglist-cli(20000^2)" bash -c "run_ours_png '$flat'")")
copies=$(ls "$(dirname "$flat")"/*.png 2>/dev/null | wc -l)
echo
print_rows "tool (PNG screenshots)" "${rows[@]}"
echo "(30 PNGs of 1920 x 1080, goal wall/vips <= 0.6; the last row: one 20000 x 20000 PNG, $copies copy, goal under 64 MB)"
