#!/usr/bin/env bash
# Reduced images side by side with two well-known thumbnailers, on a corpus of
# photo-like 4000 x 3000 JPEGs (4:2:0, quality 90):
#   htmlimglist-cli in reduced mode (MaxPixel 200, no list of full-size images),
#     nearest pixel and SmoothReduce=1 (area average)
#   vipsthumbnail -s 200                          (one process for all files)
#   convert -thumbnail 200x200 -quality 75        (one process per file)
# and a memory check of htmlimglist-cli with a 12000 x 9000 source added;
# then animated GIFs, PNG screenshots (peers-png.sh), HEIC and AVIF photos
# (peers-heif.sh) and videos' poster copies against ffmpeg (peers-video.sh).
# Prints wall and CPU seconds, peak memory and the ratios to vipsthumbnail,
# then the PSNR of the reduced pictures against the exact area average
# (htmlimglist-smooth-quality, when it is built).
#
#   bench/peers.sh [BUILD_DIR]     (default: build; needs the benchmark tools,
#                                   which it installs: libvips-tools,
#                                   imagemagick, time; and ffmpeg, which
#                                   install-deps installs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
maker="$build/bin/htmlimglist-makecorpus"
[ -x "$cli" ] && [ -x "$maker" ] || { echo "build first: make build" >&2; exit 2; }

need=()
command -v vipsthumbnail >/dev/null || need+=(libvips-tools)
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

work=${PEERS_DIR:-/tmp/htmlimglist-peers}
corpus="$work/corpus/photos"
if [ "$(ls "$corpus" 2>/dev/null | wc -l)" -ne 60 ]; then
    echo "making 60 photo-like 4000 x 3000 JPEGs in $corpus ..." >&2
    rm -rf "$corpus"; mkdir -p "$corpus"
    "$maker" "$corpus" 30 4000 3000 90 A_ & "$maker" "$corpus" 30 4000 3000 90 B_; wait
fi
big="$work/big/photos"
if [ ! -f "$big/HUGE_0001.JPG" ]; then
    rm -rf "$work/big"; mkdir -p "$big"
    cp "$corpus"/*.JPG "$big"/
    "$maker" "$big" 1 12000 9000 90 HUGE_
fi
cat "$corpus"/*.JPG "$big"/*.JPG > /dev/null  # warm the cache
touch "$work/peers.INI"  # the conditions come from --set alone

. bench/measure.sh

ours() {  # ours JOBS FOLDER [OPTION...]
    local jobs=$1 folder=$2; shift 2
    rm -f "$(dirname "$folder")"/*.JPG
    "$cli" -q --settings "$work/peers.INI" -j "$jobs" --set MakeSmallImage=1 \
        --set MakeSmallImageAndOrgImageList=0 --set ImageSurelyCreate=1 --set MaxPixel=200 "$@" "$folder"
}
run_ours() { ours "$@"; }
run_vips() { rm -rf "$work/vips"; mkdir -p "$work/vips"; vipsthumbnail -s 200 -o "$work/vips/%s.jpg" "$corpus"/*.JPG; }
run_convert() {
    rm -rf "$work/im"; mkdir -p "$work/im"
    for f in "$corpus"/*.JPG; do convert "$f" -thumbnail 200x200 -quality 75 "$work/im/$(basename "$f")"; done
}
export -f ours run_ours run_vips run_convert
export cli work corpus

cores=$(nproc)
rows=()
rows+=("$(measure vipsthumbnail bash -c run_vips)")
rows+=("$(measure "htmlimglist-cli(jobs=$cores)" bash -c "run_ours $cores '$corpus'")")
rows+=("$(measure "htmlimglist-cli(jobs=1)" bash -c "run_ours 1 '$corpus'")")
rows+=("$(measure "cli-smooth(jobs=$cores)" bash -c "run_ours $cores '$corpus' --set SmoothReduce=1")")
rows+=("$(measure "cli-smooth(jobs=1)" bash -c "run_ours 1 '$corpus' --set SmoothReduce=1")")
rows+=("$(measure "convert" bash -c run_convert)")
rows+=("$(measure "htmlimglist-cli(+12000x9000)" bash -c "run_ours $cores '$big'")")
rows+=("$(measure "cli-smooth(+12000x9000)" bash -c "run_ours $cores '$big' --set SmoothReduce=1")")

print_rows tool "${rows[@]}"
echo "(60 files of 4000 x 3000; the +12000x9000 rows add one 12000 x 9000 file; $cores cores)"
quality="$build/bin/htmlimglist-smooth-quality"
if [ -x "$quality" ]; then "$quality" "$corpus" 200 "$work/vips"; fi

# --- Animated GIFs ------------------------------------------------------------
# 10 GIFs of 90 photo-like, noisy 480 x 360 frames (256 colours): vipsthumbnail
# -s 200 against a reduced run (default jobs; only the first frame is drawn, so
# the other frames' LZW data must not be decoded). Then the peak memory of
# reduced runs over one-colour 2000 x 2000 GIFs of 500 and 2000 frames (under
# 2 MB and 8 MB on disk, 2 and 8 billion pixels), and over a GIF of 3,000,000
# frames of one pixel (about 70 MB: memory held per frame would show there).
# Made by htmlimglist-makegifcorpus; skipped when it is not built.
gifmaker="$build/bin/htmlimglist-makegifcorpus"
if [ -x "$gifmaker" ]; then
    gifs="$work/gif/anim/photos"
    if [ "$(ls "$gifs" 2>/dev/null | wc -l)" -ne 10 ]; then
        echo "making 10 animated GIFs of 90 frames, 480 x 360, in $gifs ..." >&2
        rm -rf "$gifs"; mkdir -p "$gifs"
        "$gifmaker" photo "$gifs" 5 90 480 360 A_ & "$gifmaker" photo "$gifs" 5 90 480 360 B_; wait
    fi
    for frames in 500 2000; do
        flat="$work/gif/flat$frames/photos"
        [ -f "$flat/FLAT.gif" ] || { mkdir -p "$flat"; "$gifmaker" flat "$flat/FLAT.gif" "$frames" 2000 2000; }
    done
    tiny="$work/gif/tiny3000000/photos"
    [ -f "$tiny/TINY.gif" ] || { mkdir -p "$tiny"; "$gifmaker" flat "$tiny/TINY.gif" 3000000 1 1; }
    cat "$gifs"/*.gif > /dev/null
    run_vips_gif() { rm -rf "$work/vipsgif"; mkdir -p "$work/vipsgif"; vipsthumbnail -s 200 -o "$work/vipsgif/%s.jpg" "$gifs"/*.gif; }
    export -f run_vips_gif
    export gifs
    gif_rows=()
    gif_rows+=("$(measure vipsthumbnail bash -c run_vips_gif)")
    gif_rows+=("$(measure "htmlimglist-cli(jobs=$cores)" bash -c "run_ours $cores '$gifs'")")
    gif_rows+=("$(measure "htmlimglist-cli(500x2000^2)" bash -c "run_ours $cores '$work/gif/flat500/photos'")")
    gif_rows+=("$(measure "htmlimglist-cli(2000x2000^2)" bash -c "run_ours $cores '$work/gif/flat2000/photos'")")
    gif_rows+=("$(measure "htmlimglist-cli(3000000x1^2)" bash -c "run_ours $cores '$tiny'")")
    echo
    print_rows "tool (animated GIFs)" "${gif_rows[@]}"
    echo "(10 GIFs of 90 frames of 480 x 360; the last rows: one GIF of 500 or 2000 frames of 2000 x 2000,"
    echo " or of 3,000,000 frames of 1 x 1; goal under 64 MB)"
fi

# --- PNG screenshots (MoreImageTypes) -------------------------------------------
bench/peers-png.sh "$build"

# --- HEIC and AVIF photos (MoreImageTypes) ---------------------------------------
bench/peers-heif.sh "$build"

# --- Videos (ListVideos) ---------------------------------------------------------
bench/peers-video.sh "$build"
