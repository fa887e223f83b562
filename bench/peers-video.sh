#!/usr/bin/env bash
# Video block of bench/peers.sh, also run on its own:
# 20 clips of 1080p H.264 (30 s at 30 frames a second, a test pattern with
# light noise that differs from clip to clip; libx264 with its default
# groups of pictures, preset veryfast), made by ffmpeg the first time.
# A reduced run of htmlimglist-cli with default jobs and ListVideos=1
# (poster copies) against `ffmpeg -ss 1 -i CLIP -frames:v 1 -vf
# scale=200:-1` run over the same clips one after another (goal: at most 0.5
# of its wall time; peak memory under 256 MB). Then one run per malformed
# file, each alone in its folder (goal: under 1 s each): clips cut at
# several lengths, a movie box claiming 2^40 bytes, EBML elements whose
# size is all ones, and an endless chain of empty boxes.
#   bench/peers-video.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
[ -x "$cli" ] || { echo "peers-video: $cli not built" >&2; exit 2; }
command -v ffmpeg >/dev/null && [ -x /usr/bin/time ] || { echo "peers-video: needs ffmpeg and /usr/bin/time (bench/peers.sh installs them)" >&2; exit 2; }

work=${PEERS_DIR:-/tmp/htmlimglist-peers}
clips="$work/video/clips/photos"
if [ "$(ls "$clips" 2>/dev/null | wc -l)" -ne 20 ]; then
    echo "making 20 clips of 1080p H.264, 30 s each, in $clips (a few minutes) ..." >&2
    rm -rf "$clips"; mkdir -p "$clips"
    for i in $(seq -w 1 20); do
        ffmpeg -nostdin -v error -y -f lavfi \
            -i "testsrc2=size=1920x1080:rate=30,noise=alls=6:allf=t+u:all_seed=$i" -t 30 \
            -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clips/CLIP_$i.mp4"
    done
fi
cat "$clips"/*.mp4 > /dev/null  # warm the cache
touch "$work/peers-video.INI"  # the conditions come from --set alone

. bench/measure.sh
run_ours_video() {  # FOLDER: reduced run with the default number of jobs
    "$cli" -q --settings "$work/peers-video.INI" --set MakeSmallImage=1 --set MakeSmallImageAndOrgImageList=0 \
        --set ImageSurelyCreate=1 --set MaxPixel=200 --set ListVideos=1 "$1"
}
run_ffmpeg_video() {
    rm -rf "$work/ffmpeg-posters"; mkdir -p "$work/ffmpeg-posters"
    for f in "$clips"/*.mp4; do
        ffmpeg -nostdin -v error -y -ss 1 -i "$f" -frames:v 1 -vf scale=200:-1 "$work/ffmpeg-posters/$(basename "$f").jpg"
    done
}
export -f run_ours_video run_ffmpeg_video
export cli work clips

rows=()
rows+=("$(measure "ffmpeg-ss1(one-by-one)" bash -c run_ffmpeg_video)")
rows+=("$(measure "htmlimglist-cli(jobs=$(nproc))" bash -c "run_ours_video '$clips'")")
posters=$(ls "$(dirname "$clips")"/*.mp4 2>/dev/null | wc -l)
echo
PEER_NAME=ffmpeg print_rows "tool (1080p H.264 clips)" "${rows[@]}"
echo "(20 clips of 1080p, 30 s; $posters poster copies; goal wall/ffmpeg <= 0.5, under 256 MB)"

# --- Malformed files, one run each ------------------------------------------------
bad="$work/video/malformed"
rm -rf "$bad"; mkdir -p "$bad"
slow="$clips/CLIP_01.mp4"  # as ffmpeg writes it: the movie box after the media data
fast="$work/video/faststart.mp4"
[ -f "$fast" ] || ffmpeg -nostdin -v error -y -i "$slow" -c copy -movflags +faststart "$fast"
size=$(stat -c %s "$slow")
case_dir() { mkdir -p "$bad/$1/photos"; echo "$bad/$1/photos"; }
for length in 1000 65536 $((size / 2)) $((size - 1)); do
    head -c "$length" "$fast" > "$(case_dir "cut-$length")/cut.mp4"
    head -c "$length" "$slow" > "$(case_dir "cut-moov-last-$length")/cut.mp4"
done
ftyp='\x00\x00\x00\x18ftypisom\x00\x00\x02\x00isommp42'
# moov with a 64-bit size of 2^40, then a little of nothing.
{ printf "$ftyp"; printf '\x00\x00\x00\x01moov\x00\x00\x01\x00\x00\x00\x00\x00'; head -c 4096 /dev/zero; } \
    > "$(case_dir moov-2-40)/huge.mp4"
# Eight million empty boxes (64 MB) after ftyp.
{ printf "$ftyp"; perl -e 'print "\x00\x00\x00\x08free" x 8000000'; } > "$(case_dir empty-boxes)/boxes.mp4"
ebml='\x1a\x45\xdf\xa3\x8f\x42\x86\x81\x01\x42\x82\x84webm\x42\x87\x81\x04'
# The EBML header itself, then a Segment and a Cluster, of size all ones.
{ printf '\x1a\x45\xdf\xa3\x01\xff\xff\xff\xff\xff\xff\xff\x42\x82\x84webm'; head -c 65536 /dev/zero; } \
    > "$(case_dir ebml-header-all-ones)/a.webm"
{ printf "$ebml"; printf '\x18\x53\x80\x67\x01\xff\xff\xff\xff\xff\xff\xff'
  printf '\x1f\x43\xb6\x75\x01\xff\xff\xff\xff\xff\xff\xff'; head -c 1048576 /dev/zero; } \
    > "$(case_dir ebml-cluster-all-ones)/b.webm"

bad_rows=()
for folder in "$bad"/*/photos; do
    name=$(basename "$(dirname "$folder")")
    bad_rows+=("$(measure "$name" bash -c "run_ours_video '$folder'")")
done
echo
printf '%-30s %8s %8s %10s\n' "malformed file (one run each)" wall_s cpu_s peak_MB
for row in "${bad_rows[@]}"; do
    read -r label wall cpu rss <<< "$row"
    printf '%-30s %8.2f %8.2f %10.1f\n' "$label" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)"
done
echo "(goal: each under 1 s; the page is written every time)"
