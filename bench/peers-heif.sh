#!/usr/bin/env bash
# HEIC and AVIF block of bench/peers.sh, also run on its own:
# 30 photos of 4032 x 3024 (an iPhone's size), made by htmlimglist-makecorpus as
# JPEGs and encoded by heif-enc -p preset=ultrafast (HEIC, no thumbnails) and by
# avifenc -s 10 (AVIF; Debian 12's heif-enc -A aborts in libaom on photos this
# large): vipsthumbnail -s 200 (one process for all files) against a reduced run
# of htmlimglist-cli with default jobs and MoreImageTypes=1 (goal: at most 0.6
# of vipsthumbnail's wall time, and a peak memory under 256 MB).
#   bench/peers-heif.sh [BUILD_DIR]     (default: build; needs heif-enc and avifenc:
#                                        libheif-examples, libavif-bin, which it installs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
maker="$build/bin/htmlimglist-makecorpus"
[ -x "$cli" ] && [ -x "$maker" ] || { echo "peers-heif: build first: make build" >&2; exit 2; }
need=()
command -v heif-enc >/dev/null || need+=(libheif-examples)
command -v avifenc >/dev/null || need+=(libavif-bin)
command -v vipsthumbnail >/dev/null || need+=(libvips-tools)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

work=${PEERS_DIR:-/tmp/htmlimglist-peers}
jpegs="$work/heif/jpeg"
heics="$work/heif/heic/photos"
avifs="$work/heif/avif/photos"
encode() {  # encode KIND JPEG OUT
    case $1 in
        heic) heif-enc -p preset=ultrafast -o "$3" "$2" > /dev/null ;;
        avif) avifenc -s 10 -j 1 "$2" "$3" > /dev/null ;;
    esac
}
export -f encode
for kind in heic avif; do
    out="$work/heif/$kind/photos"
    if [ "$(ls "$out" 2>/dev/null | wc -l)" -ne 30 ]; then
        if [ "$(ls "$jpegs" 2>/dev/null | wc -l)" -ne 30 ]; then
            rm -rf "$jpegs"; mkdir -p "$jpegs"
            "$maker" "$jpegs" 15 4032 3024 90 A_ & "$maker" "$jpegs" 15 4032 3024 90 B_; wait
        fi
        echo "peers-heif: encoding 30 photos of 4032 x 3024 as $kind in $out ..." >&2
        rm -rf "$out"; mkdir -p "$out"
        for f in "$jpegs"/*.JPG; do echo "$f"; done |
            xargs -P "$(nproc)" -I{} bash -c 'encode '"$kind"' "$1" "'"$out"'/$(basename "$1" .JPG).'"$kind"'"' _ {}
    fi
done
touch "$work/peers-heif.INI"  # the conditions come from --set alone

. bench/measure.sh
cores=$(nproc)
ours() {  # ours FOLDER
    rm -f "$(dirname "$1")"/*.heic "$(dirname "$1")"/*.avif
    "$cli" -q --settings "$work/peers-heif.INI" --set MoreImageTypes=1 --set MakeSmallImage=1 \
        --set MakeSmallImageAndOrgImageList=0 --set ImageSurelyCreate=1 --set MaxPixel=200 "$1"
}
vips() {  # vips FOLDER KIND
    rm -rf "$work/vipsheif"; mkdir -p "$work/vipsheif"
    vipsthumbnail -s 200 -o "$work/vipsheif/%s.jpg" "$1"/*."$2"
}
export -f ours vips
export cli work
for kind in heic avif; do
    folder="$work/heif/$kind/photos"
    cat "$folder"/* > /dev/null  # warm the cache
    rows=()
    rows+=("$(measure vipsthumbnail bash -c "vips '$folder' $kind")")
    rows+=("$(measure "htmlimglist-cli(jobs=$cores)" bash -c "ours '$folder'")")
    echo
    print_rows "tool ($kind)" "${rows[@]}"
done
echo "(30 photos of 4032 x 3024; goal: htmlimglist-cli at most 0.6 of vipsthumbnail's wall time, under 256 MB)"
