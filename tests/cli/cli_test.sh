#!/usr/bin/env bash
# End-to-end checks of htmlimglist-cli: exit statuses, refusals before anything
# is written, the pages of a single run. Usage: cli_test.sh CLI SAMPLES_DIR
set -u
cli=$1
samples=$2
work=$(mktemp -d)
# Runs never touch the settings file beside the build's executable.
export HTMLIMGLIST_INI="$work/settings.INI"
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

mkdir -p "$work/album"
cp -r "$samples" "$work/album/photos"
folder="$work/album/photos"

"$cli" --set NoSuch=1 "$folder" 2>"$work/err"; rc=$?
check "unknown condition refused with status 2" test $rc -eq 2
check "unknown condition named in the message" grep -q "NoSuch" "$work/err"
"$cli" --set MaxColumn=abc "$folder" 2>/dev/null; rc=$?
check "non-numeric number refused with status 2" test $rc -eq 2
"$cli" --set MaxColumn "$folder" 2>/dev/null; rc=$?
check "--set without = refused" test $rc -eq 2
# Numbers outside their range: refused with status 2, naming the range.
while read -r assignment range; do
    "$cli" --set "$assignment" "$folder" 2>"$work/err"; rc=$?
    check "--set $assignment refused with status 2" test $rc -eq 2
    check "--set $assignment: the range is named" grep -q "from $range" "$work/err"
done <<'ROWS'
MaxPixel=0 1 to 65535
SubImageMaxSize=65536 1 to 65535
MaxColumn=0 1 to 1000
SubImageColmn=1001 1 to 1000
ROWS
check "nothing written by refused runs" test ! -e "$folder/index.html"
"$cli" "$folder/readme.txt" 2>/dev/null; rc=$?
check "a file is not a folder" test $rc -eq 2
"$cli" 2>/dev/null; rc=$?
check "no folder given" test $rc -eq 2

"$cli" --set MaxColumn=4 --set DisplayFileSize=1 "$folder" 2>"$work/err"; rc=$?
check "plain run succeeds" test $rc -eq 0
check "no progress without a terminal, one line for the page" test "$(wc -l < "$work/err")" -eq 1
check "page written" test -s "$folder/index.html"
check "four cells in the first row" test "$(grep -c '^<td>' "$folder/index.html")" -eq 6
check "rows of four" test "$(grep -c '^<tr>' "$folder/index.html")" -eq 2
check "file sizes shown" grep -q 'Byte' "$folder/index.html"
check "CR LF line ends" test "$(tr -cd '\r' < "$folder/index.html" | wc -c)" -eq "$(wc -l < "$folder/index.html")"

# Each page written gets a line on stderr in the run's language, with its
# cells and, for reduced copies, what became of them; -q leaves it out.
while IFS='|' read -r environment expected; do
    env -u HTMLIMGLIST_LANG -u LC_ALL -u LC_MESSAGES -u LANG $environment "$cli" --set MakeSmallImage=1 "$folder" 2>"$work/err" >/dev/null
    check "page lines under $environment" grep -qxF "$expected" "$work/err"
done <<ROWS
HTMLIMGLIST_LANG=en|Page written: $work/album/index.html: 6 cells, reduced copies: 6 made, 0 kept, 0 not made
HTMLIMGLIST_LANG=en|Page written: $folder/index.html: 6 cells
LANG=C|ﾘｽﾄを作成しました. $work/album/index.html: 6ｾﾙ, 縮小画像 作成0 既存6 未作成0
HTMLIMGLIST_LANG=xx LANG=ja_JP.UTF-8|ﾘｽﾄを作成しました. $folder/index.html: 6ｾﾙ
HTMLIMGLIST_LANG=EN LANG=ja_JP.UTF-8|Page written: $folder/index.html: 6 cells
HTMLIMGLIST_LANG=xx LC_ALL=en_US.UTF-8|Page written: $folder/index.html: 6 cells
ROWS
"$cli" -q "$folder" 2>"$work/err"
check "-q: no line for the page" test ! -s "$work/err"
rm -f "$work/album/"*.JPG "$work/album/"*.jpg "$work/album/"*.gif "$work/album/index.html"

rm "$folder/index.html"
"$cli" --quiet --set MakeSmallImage=1 "$folder"; rc=$?
check "reduced run succeeds" test $rc -eq 0
check "reduced list in the parent" grep -q 'href="photos/P1010001.JPG"' "$work/album/index.html"
check "list of full-size images in the folder" test "$(grep -c '^<tr>' "$folder/index.html")" -eq 3

"$cli" --set HTMLListName=../outside.html "$folder" 2>"$work/err"; rc=$?
check "a list name with a / is refused with status 2" test $rc -eq 2
check "nothing written outside the folder" test ! -e "$work/album/outside.html"
printf '[Parameters]\r\nHTMLListName=..\r\n' > "$work/dots.INI"
"$cli" --settings "$work/dots.INI" "$folder" 2>"$work/err"; rc=$?
check "a list name of .. from a settings file is refused with status 2" test $rc -eq 2
check "the refusal names the list name" grep -q "HTMLﾘｽﾄ名が正しくありません." "$work/err"
mkdir -p "$work/locked"; cp "$folder/P1010001.JPG" "$work/locked/"; chmod 555 "$work/locked"
# Without capabilities, so that permission bits hold for root too.
unprivileged=()
[ "$(id -u)" -eq 0 ] && unprivileged=(setpriv --bounding-set=-all --inh-caps=-all)
"${unprivileged[@]}" "$cli" "$work/locked" 2>"$work/err"; rc=$?
check "unwritable page gives status 1" test $rc -eq 1
check "unwritable page reported with the reason" grep -q "could not write the page .*: Permission denied" "$work/err"

cp "$folder/P1010001.JPG" "$work/photo.keep"
"$cli" --set HTMLListName=P1010001.JPG "$folder" 2>"$work/err"; rc=$?
check "a page named like a photo gives status 1" test $rc -eq 1
check "the refusal says why" grep -q "could not write the page $folder/P1010001.JPG: it would replace the image" "$work/err"
check "the photo is left intact" cmp -s "$folder/P1010001.JPG" "$work/photo.keep"

# Files that begin like images but are not listed are summed up at the end,
# and names reach the terminal with their control characters escaped.
mkdir -p "$work/odd"
cp "$folder/P1010001.JPG" "$work/odd/good.jpg"
head -c 2000 "$folder/P1010001.JPG" > "$work/odd/cut.jpg"
head -c 2000 "$folder/P1010001.JPG" > "$work/odd/"$'\e]0;owned\a\e[2J.jpg'
{ cat "$folder/P1010001.JPG"; printf 'trailing bytes'; } > "$work/odd/padded.jpg"
HTMLIMGLIST_LANG=en "$cli" "$work/odd" 2>"$work/err"; rc=$?
check "lookalikes do not fail the run" test $rc -eq 0
check "lookalikes counted with their reason" grep -q "^3 files look like images but were not listed (no end-of-image marker): " "$work/err"
check "their names escaped" grep -qF '\x1b]0;owned\x07\x1b[2J.jpg' "$work/err"
check "no control character reaches the terminal" test "$(tr -d '\n' < "$work/err" | tr -cd '\000-\037\177' | wc -c)" -eq 0
for lang in ja C; do
    env -u HTMLIMGLIST_LANG -u LC_ALL -u LC_MESSAGES LANG=$lang "$cli" "$work/odd" 2>"$work/err"
    check "lookalikes counted in Japanese under LANG=$lang" \
        grep -q "^画像に見えるがﾘｽﾄしなかったﾌｧｲﾙが3個あります(終了ﾏｰｶｰがありません): " "$work/err"
done
"$cli" -v "$work/odd" 2>"$work/err"
check "-v names each on its own line" grep -q "^  padded.jpg$" "$work/err"
"$cli" -q "$work/odd" 2>"$work/err"
check "-q keeps quiet about them" test ! -s "$work/err"
HTMLIMGLIST_LANG=en "$cli" --set MakeSmallImage=1 "$work/odd" 2>"$work/err"
check "both lists of a reduced run count each file once" grep -q "^3 files look like images" "$work/err"

# A settings file's numbers out of range are moved into it, with one line
# naming them, and the run goes on; in range, the file is left as it was.
printf '[Parameters]\r\nMaxPixel=0\r\nMaxColumn=5000\r\n' > "$work/range.INI"
cp "$work/range.INI" "$work/range.keep"
"$cli" --settings "$work/range.INI" "$folder" 2>"$work/err"; rc=$?
check "out-of-range settings run with status 0" test $rc -eq 0
check "one line about them" test "$(grep -c "out of range" "$work/err")" -eq 1
check "the line names each with its range and the value used" grep -qF \
    "MaxPixel=0 (1..65535): 1; MaxColumn=5000 (1..1000): 1000" "$work/err"
check "the values used" grep -q 'height=1 width=1>' "$folder/index.html"
check "the settings file is left as it was" cmp -s "$work/range.INI" "$work/range.keep"
"$cli" --settings "$work/range.INI" --set MaxPixel=10 --set MaxColumn=3 "$folder" 2>"$work/err"
check "no line for values that --set replaces" test "$(grep -c "out of range" "$work/err")" -eq 0

# Settings: another file by name, --save storing the merged conditions.
printf '[Parameters]\r\nMaxColumn=2\r\n' > "$work/other.INI"
rm -f "$folder/index.html"
"$cli" -q --settings "$work/other.INI" "$folder"; rc=$?
check "run with --settings" test $rc -eq 0
check "columns from the named settings file" test "$(grep -c '^<tr>' "$folder/index.html")" -eq 3
"$cli" --set MaxColumn=3 --set ZoomImage=-1 --save; rc=$?
check "--save without a folder" test $rc -eq 0
check "saved into the default settings file" grep -q $'^MaxColumn=3\r$' "$work/settings.INI"
check "switches saved as 1" grep -q $'^ZoomImage=1\r$' "$work/settings.INI"
check "all sixteen entries saved" test "$(grep -c '=' "$work/settings.INI")" -eq 16

# A --settings FILE that cannot be read as a settings file is refused with
# status 2 and the reason, before anything is read or written; so is the
# default settings file, except when it is missing.
rm -f "$folder/index.html"
mkfifo "$work/fifo.INI"
mkdir "$work/folder.INI"
head -c 1048577 /dev/zero | tr '\0' '\n' > "$work/big.INI"
cp "$work/big.INI" "$work/big.keep"
runner=()  # what refused runs the tool under
refused() {  # refused WHAT REASON CLI-ARGS...: status 2, the reason, nothing written
    local what=$1 reason=$2; shift 2
    timeout 10 "${runner[@]}" "$cli" -q "$@" 2>"$work/err"; rc=$?
    check "$what refused with status 2" test $rc -eq 2
    check "$what: the reason is given" grep -qF -- "$reason" "$work/err"
    check "$what: no page written" test ! -e "$folder/index.html"
}
refused "a missing --settings file" "--settings $work/missing.INI: No such file or directory" \
    --settings "$work/missing.INI" "$folder"
refused "a folder as --settings" "--settings $work/folder.INI: Is a directory" --settings "$work/folder.INI" "$folder"
refused "a device as --settings" "--settings /dev/null: not a regular file" --settings /dev/null "$folder"
refused "a FIFO as --settings" "--settings $work/fifo.INI: not a regular file" --settings "$work/fifo.INI" "$folder"
refused "a --settings file over 1 MiB" "--settings $work/big.INI: larger than 1 MiB (1048577 bytes)" \
    --settings "$work/big.INI" "$folder"
refused "--save into a file over 1 MiB" "larger than 1 MiB" --settings "$work/big.INI" --set MaxColumn=3 --save
check "the file over 1 MiB is left as it was" cmp -s "$work/big.INI" "$work/big.keep"
printf '[Parameters]\r\nMaxColumn=2\r\n' > "$work/locked.INI"
chmod 000 "$work/locked.INI"
# Root reads any file: it runs without capabilities, so that the bits hold.
runner=("${unprivileged[@]}")
refused "an unreadable --settings file" "--settings $work/locked.INI: Permission denied" \
    --settings "$work/locked.INI" "$folder"
runner=()
"$cli" --settings "$work/created.INI" --set MaxColumn=5 --save; rc=$?
check "--save creates a missing --settings file" test $rc -eq 0
check "the created file holds the conditions" grep -q $'^MaxColumn=5\r$' "$work/created.INI"
mv "$work/settings.INI" "$work/settings.keep"
cp "$work/big.INI" "$work/settings.INI"
refused "a default settings file over 1 MiB" "settings file $work/settings.INI: larger than 1 MiB" "$folder"
rm "$work/settings.INI"
"$cli" -q "$folder"; rc=$?
check "a missing default settings file gives the defaults" test $rc -eq 0
rm "$folder/index.html"
mv "$work/settings.keep" "$work/settings.INI"

# A continuous run over numbered folders.
mkdir -p "$work/series"
for n in 00001 00002; do cp -r "$samples" "$work/series/$n"; done
"$cli" -q --set ContinueMaked=1 "$work/series/00001" 2>"$work/err"; rc=$?
check "continuous run ends normally" test $rc -eq 0
check "both folders listed" test -s "$work/series/00002/index.html"
check "end message names the missing folder" grep -q "$work/series/00003" "$work/err"
check "end message in the tool's words" grep -q "連続作成を終了します." "$work/err"
LANG=C "$cli" -q --set ContinueMaked=1 "$work/series/00001" 2>"$work/err"
check "Japanese under C" grep -q "連続作成を終了します." "$work/err"
LC_ALL=en_US.UTF-8 "$cli" -q --set ContinueMaked=1 "$work/series/00001" 2>"$work/err"
check "English where the locale is English" grep -q "^No five-digit numbered folder was found.$" "$work/err"
check "RunDir recorded" grep -q "^RunDir=$work/series/00002" "$work/settings.INI"
"$cli" -q --set ContinueMaked=1 --set MakeSmallImage=1 "$work/series/00001" 2>"$work/err"; rc=$?
check "two-level run looks one level up from an outer folder" grep -q "$work/00001/00001" "$work/err"
"$cli" -q --set ContinueMaked=1 --set MakeSmallImage=1 "$work/series/00001"; rc=$?
check "a continuous run that lists no folder gives status 1" test $rc -eq 1

# Several folders per call: each its own run, the worst status wins, and
# Ctrl+C stops the whole call.
mkdir -p "$work/many"
for n in one two three; do cp -r "$samples" "$work/many/$n"; done
"$cli" -q "$work/many/one" "$work/many/two" 2>"$work/err"; rc=$?
check "two folders in one call" test $rc -eq 0 -a -s "$work/many/one/index.html" -a -s "$work/many/two/index.html"
# A folder that is not there fails its own run only (xargs over what find
# listed a moment ago): the others run, and it is named in the run's language.
rm -f "$work/many/one/index.html" "$work/many/two/index.html"
HTMLIMGLIST_LANG=en "$cli" -q "$work/many/one" "$work/many/nothing-here" "$work/many/two" 2>"$work/err"; rc=$?
check "a missing folder gives status 1" test $rc -eq 1
check "the folders before and after it are run" test -s "$work/many/one/index.html" -a -s "$work/many/two/index.html"
check "it is reported as missing" test "$(cat "$work/err")" = "This folder does not exist.
$work/many/nothing-here"
HTMLIMGLIST_LANG=ja "$cli" -q "$work/many/nothing-here" 2>"$work/err"; rc=$?
check "in Japanese too, with status 1" test $rc -eq 1 -a "$(head -n 1 "$work/err")" = "ﾌｫﾙﾀﾞがありません."
"$cli" -q "$work/many/three" "$folder/readme.txt" 2>/dev/null; rc=$?
check "something that is no folder refuses the call before any run" test $rc -eq 2 -a ! -e "$work/many/three/index.html"
"${unprivileged[@]}" "$cli" -q "$work/locked" "$work/many/three" 2>/dev/null; rc=$?
check "the worst status of the runs" test $rc -eq 1
check "a failed run does not stop the next" test -s "$work/many/three/index.html"
# A file size limit (ulimit -f) makes the page's write fail with EFBIG as a
# full disk would: the old page stays, no temporary file is left, status 1.
mkdir -p "$work/limited"
cp "$folder"/*.JPG "$folder"/*.gif "$work/limited/"
"$cli" -q "$work/limited"
cp "$work/limited/index.html" "$work/limited.old"
( ulimit -f 1; HTMLIMGLIST_LANG=en exec "$cli" --set DisplayFileSize=1 --set DisplayDateTime=1 "$work/limited" ) \
    2>"$work/err"; rc=$?
check "a page over the file size limit gives status 1" test $rc -eq 1
check "the reason is given" grep -q "could not write the page $work/limited/index.html: File too large" "$work/err"
check "the old page is left as it was" cmp -s "$work/limited/index.html" "$work/limited.old"
check "no temporary file is left" test -z "$(find "$work/limited" -name '.*.tmp')"
# A page replaces only a page this tool wrote for the same folder: a page of
# the user's own, or the reduced list another folder wrote into the shared
# parent, is left as it is, with status 1 and the reason.
mkdir -p "$work/web/a" "$work/web/b"
cp "$folder"/*.JPG "$work/web/a/"
cp "$folder"/*.JPG "$work/web/b/"
printf '<html><body>my own page</body></html>\n' > "$work/web/a/index.html"
HTMLIMGLIST_LANG=en "$cli" -q "$work/web/a" 2>"$work/err"; rc=$?
check "a hand-made page is not replaced" test $rc -eq 1 -a "$(cat "$work/web/a/index.html")" = '<html><body>my own page</body></html>'
check "the reason is given" grep -q "could not write the page $work/web/a/index.html: a file this tool did not write" "$work/err"
rm "$work/web/a/index.html"
"$cli" -q --set MakeSmallImage=1 "$work/web/a"; rc=$?
check "a reduced run of one folder" test $rc -eq 0 -a -s "$work/web/index.html"
cp "$work/web/index.html" "$work/web.a"
HTMLIMGLIST_LANG=en "$cli" -q --set MakeSmallImage=1 "$work/web/b" 2>"$work/err"; rc=$?
check "its sibling does not replace its reduced list" test $rc -eq 1 && cmp -s "$work/web/index.html" "$work/web.a"
check "the reason is given" grep -q "the page of another folder is in the way" "$work/err"
# A copy over 2^26 pixels is never made, and the run says so with status 1.
HTMLIMGLIST_LANG=en "$cli" -q --set MakeSmallImage=1 --set MaxPixel=10000 --set ZoomImage=1 --set HTMLListName=big.html \
    "$work/web/a" 2>"$work/err"; rc=$?
check "a copy too large to make gives status 1" test $rc -eq 1 && grep -q "would be too large" "$work/err"

# --help and --version that cannot be written fail.
for option in --help --version; do
    "$cli" $option >/dev/full 2>"$work/err"; rc=$?
    check "$option to a full device gives status 1" test $rc -eq 1 -a -s "$work/err"
done

maker=$(dirname "$cli")/htmlimglist-makecorpus
if [ -x "$maker" ]; then
    mkdir -p "$work/big/photos" "$work/small"
    "$maker" "$work/big/photos" 1 3000 2000 90 P_ >/dev/null 2>&1
    for i in $(seq 10 40); do cp "$work/big/photos/P_0001.JPG" "$work/big/photos/P_00$i.JPG"; done
    cp "$samples/P1010001.JPG" "$work/small/"
    "$cli" -q -j 1 --set MakeSmallImage=1 "$work/big/photos" "$work/small" & pid=$!
    sleep 0.3; kill -INT $pid; wait $pid; rc=$?
    check "Ctrl+C gives status 130" test $rc -eq 130
    check "Ctrl+C stops the folders after it" test ! -e "$work/small/index.html"
fi

[ $failures -eq 0 ]
