#!/usr/bin/env bash
# Pages in a real browser: makes a folder series of images whose names hold
# Japanese text, blanks, & # % ' " < a leading dash and an emoji, characters
# whose Shift_JIS bytes a browser reads as others (yen sign, wave dash, minus,
# dashes, cent, not), names a browser could take for a scheme (javascript:,
# C:), blanks at a name's ends, a Latin-1 name that is not UTF-8 and one with
# a newline. Runs htmlimglist-cli in full-size and in reduced mode (with the
# list of full-size images and Prev/Next across numbered folders, and on a
# folder "Trip: Kyoto" beside the series, whose links start with its name),
# then opens every page in headless Chromium through playwright-core. Each
# folder also holds a portrait photo stored on its side (400 x 300 with EXIF
# orientation 6, made by htmlimglist-makecorpus from the same build), which
# every page must show upright, a lossy WebP and a PNG with alpha (listed with
# MoreImageTypes), which every page must show loaded.
#
# Each folder holds videos too (ListVideos): a WebM of its own, shown by its
# poster copy in the reduced lists, and a short MP4 beside "my photo.jpg",
# its Live Photo, linked from that photo's cell; and a HEIC, which browsers
# cannot show, shown by its copy.
#
# Then a HEIC in Display P3 (see check-colour.mjs).
#
# Then gallery pages (PageStyle=1) of the same folders, in Japanese and in
# English, checked by check-gallery.mjs.
#   tests/e2e/run.sh CLI_PATH
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
samples="$here/../../samples/photos"
makecorpus="$(dirname "$cli")/htmlimglist-makecorpus"
[ -x "$makecorpus" ] || { echo "e2e: $makecorpus is not built" >&2; exit 2; }
portrait=portrait0001.JPG  # the name makecorpus gives its first file with the prefix "portrait"
webp=lossy0001.webp        # ... with --webp and the prefix "lossy"
png=alpha0001.png          # ... with --png-alpha and the prefix "alpha"
heic=red.heic              # made by htmlimglist-make-p3
webm=clip.webm
live="my photo.mp4"        # the Live Photo of "my photo.jpg"
makep3="$(dirname "$cli")/htmlimglist-make-p3"
[ -x "$makep3" ] || { echo "e2e: $makep3 is not built" >&2; exit 2; }

if [ ! -d "$here/node_modules/playwright-core" ] || [ ! -d "$here/node_modules/axe-core" ]; then
    (cd "$here" && npm install --no-audit --no-fund --silent)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HTMLIMGLIST_INI="$work/settings.INI"
names=(
    "写真 一番.JPG" "my photo.jpg" "R&D.jpg" "#1.jpg" "100%.jpg" "it's.gif" 'say "hi".jpg'
    "<b>bold.jpg" "-dash.jpg" "😀 smile.gif" "<img src=x onerror=alert(1)>.jpg"
    "¥100.jpg" "〜wave.jpg" "−minus.jpg" "—dash.gif" "‖.jpg" "¢¬.jpg"
    "javascript:alert(1).jpg" "C:photo.jpg" " lead.jpg" "trail .jpg" $'caf\xe9.jpg' $'new\nline.jpg'
)
# NUL-separated: names may hold a newline and bytes that are not UTF-8.
printf '%s\0' "${names[@]}" "$portrait" "$webp" "$png" "$heic" "$webm" "$live" > "$work/names.bin"
for n in 00001 00002; do
    folder="$work/series/$n/$n"
    mkdir -p "$folder"
    i=0
    for name in "${names[@]}"; do
        case "$name" in
            *.gif) src="$samples/Badge.gif" ;;
            *) src="$samples/P1010001.JPG" ;;
        esac
        cp "$src" "$folder/$name"
        i=$((i + 1))
    done
    "$makecorpus" --orientation 6 "$folder" 1 400 300 90 portrait
    "$makecorpus" --webp "$folder" 1 320 240 75 lossy
    "$makecorpus" --png-alpha "$folder" 1 240 320 90 alpha
    "$makep3" "$folder/$heic" 200 40 40
    ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=10 -t 1 -c:v libvpx-vp9 -b:v 200k "$folder/$webm"
    ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=10 -t 2 -c:v libx264 -pix_fmt yuv420p "$folder/$live"
done
cp -r "$work/series/00001/00001" "$work/plain"
trip="$work/series/Trip: Kyoto/Trip: Kyoto"
mkdir -p "$(dirname "$trip")"
cp -r "$work/series/00001/00001" "$trip"

more=(--set MoreImageTypes=1 --set ListVideos=1)
"$cli" -q "${more[@]}" --set NextPrevIndex=1 --set DisplayFileSize=1 --set ImageInfo=1 -- "$work/plain"
"$cli" -q "${more[@]}" --set ContinueMaked=1 --set MakeSmallImage=1 --set NextPrevIndex=1 -- "$work/series/00001/00001" 2>/dev/null
"$cli" -q "${more[@]}" --set MakeSmallImage=1 --set NextPrevIndex=1 -- "$trip"

pages=("$work/plain/index.html")
for n in 00001 00002; do pages+=("$work/series/$n/index.html" "$work/series/$n/$n/index.html"); done
pages+=("$(dirname "$trip")/index.html" "$trip/index.html")
node "$here/check-pages.mjs" --upright "$portrait:300x400" --shown "$webp" --shown "$png" --live "$live" "$work/names.bin" "${pages[@]}"

# Colours: a HEIC in Display P3 (given by numbers) gets a reduced copy with
# a P3 profile, which Chromium must show otherwise than the same copy
# without it.
mkdir -p "$work/colour/pictures"
"$makep3" "$work/colour/pictures/red.heic" 200 40 40
"$cli" -q "${more[@]}" --set MakeSmallImage=1 -- "$work/colour/pictures"
node "$here/check-colour.mjs" "$work/colour/red.heic" 200 40 40

# The viewer's script as a file first: a syntax error shows here with its line.
node --check "$here/../../listgen/gallery/gallery.js"
# Gallery pages as the tool writes them (PageStyle=1): a folder's page in
# Japanese, and in English a reduced series with its lists of full-size
# images, whose links lead from one list to the other.
cp -r "$work/series/00001/00001" "$work/styled"
rm "$work/styled/index.html"  # the page of 00001: not this folder's to replace
"$cli" -q "${more[@]}" --set PageStyle=1 --set DisplayFileSize=1 --set ImageInfo=1 -- "$work/styled"
mkdir -p "$work/gseries"
cp -r "$work/series/00001" "$work/series/00002" "$work/gseries/"
find "$work/gseries" -maxdepth 2 -name index.html -delete
find "$work/gseries" -maxdepth 2 -type f ! -path '*/0000?/0000?/*' -delete
HTMLIMGLIST_LANG=en "$cli" -q "${more[@]}" --set PageStyle=1 --set ContinueMaked=1 --set MakeSmallImage=1 \
    --set NextPrevIndex=1 -- "$work/gseries/00001/00001" 2>/dev/null
node "$here/check-gallery.mjs" "$work/names.bin" "$work/styled/index.html" "$work/gseries/00001/index.html" \
    "$work/gseries/00001/00001/index.html"
