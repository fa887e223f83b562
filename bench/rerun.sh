#!/usr/bin/env bash
# A rerun over an unchanged folder against the first run: 60 camera-sized
# photos (4000 x 3000) and 2,000 small JPEGs (640 x 480), reduced mode with the
# list of full-size images. The first run makes every copy; the rerun finds
# them fresh by their records and decodes nothing. Then one source is
# touched, and exactly its copy must be made again.
#
#   bench/rerun.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/htmlimglist-cli"
maker="$build/bin/htmlimglist-makecorpus"
[ -x "$cli" ] && [ -x "$maker" ] || { echo "build first: make build" >&2; exit 2; }

work=${RERUN_DIR:-/tmp/htmlimglist-rerun}
folder="$work/album/photos"
if [ "$(ls "$folder" 2>/dev/null | grep -c '\.JPG$')" -ne 2060 ]; then
    echo "making 60 photos of 4000 x 3000 and 2,000 JPEGs of 640 x 480 in $folder ..." >&2
    rm -rf "$work"; mkdir -p "$folder"
    "$maker" "$folder" 60 4000 3000 90 P_ >/dev/null
    "$maker" "$folder" 1000 640 480 85 S_ >/dev/null & "$maker" "$folder" 1000 640 480 85 T_ >/dev/null; wait
fi
cat "$folder"/*.JPG > /dev/null  # warm the cache
export HTMLIMGLIST_INI="$work/settings.INI"

run() {  # prints the wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$cli" -q --set MakeSmallImage=1 --set MaxPixel=200 "$folder"
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
stamps() { stat -c '%i %Y.%y %n' "$work/album"/*.JPG | sort -k3; }

rm -f "$work/album"/*.JPG "$work/album/index.html" "$folder/index.html"
first=$(run)
before=$(stamps)
rerun=$(run)
[ "$(stamps)" = "$before" ] || { echo "rerun: an unchanged folder had copies made again" >&2; exit 1; }
sleep 0.01
touch "$folder/S_0500.JPG"
touched=$(run)
remade=$(diff <(echo "$before") <(stamps) | grep -c '^>' || true)

printf '%-34s %8s\n' run wall_s
printf '%-34s %8.3f\n' "first run (2,060 copies made)" "$first"
printf '%-34s %8.3f\n' "rerun, nothing changed" "$rerun"
printf '%-34s %8.3f\n' "rerun, one source touched" "$touched"
printf 'rerun / first = 1/%.0f (goal: at most 1/20); copies remade after touching one source: %d (goal: 1)\n' \
    "$(echo "$first / $rerun" | bc -l)" "$remade"
[ "$remade" -eq 1 ]
