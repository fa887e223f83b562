#!/usr/bin/env bash
# The bash completion of htmlimglist-cli, called as bash calls it: each
# command line below is split into COMP_WORDS the way bash splits it (blanks
# end a word, and "=" stands as a word of its own), and the completion's
# answer is compared with what a user should be offered.
# Usage: completion_test.sh COMPLETION_SCRIPT CONDITIONS_TSV CLI
# Needs bash-completion (Debian's package of that name), which loads such
# scripts; without it the test is skipped (77) unless HTMLIMGLIST_REQUIRE_TOOLS=1.
set -u
script=$1
table=$2
cli=$3
library=/usr/share/bash-completion/bash_completion
if [ ! -r "$library" ]; then
    echo "bash-completion is not installed ($library)"
    [ "${HTMLIMGLIST_REQUIRE_TOOLS:-0}" = 1 ] && exit 1
    exit 77
fi
# shellcheck disable=SC1090
source "$library"
source "$script"
# Outside a real completion compopt refuses to run; its options only change
# how bash shows the answer.
compopt() { :; }

all_names=$(cut -f1 "$table" | sed 's/$/=/' | LC_ALL=C sort | paste -sd ' ' -)
# Each option the program's --help lists ("-x, --long" or "--long").
help_options=$(HTMLIMGLIST_LANG=en LC_ALL=C "$cli" --help | grep -oE '^ +(-[a-z], )?--[a-z]+' | tr ',' ' ')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir album albums
touch a.INI b.txt

# Sets COMP_WORDS, COMP_CWORD, COMP_LINE and COMP_POINT for a line typed up
# to its end, and prints the candidates offered, sorted, on one line.
complete_line() {
    local line=$1 token rest
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMP_WORDS=()
    for token in $line; do
        rest=$token
        while [[ $rest == *=* ]]; do
            [[ -n ${rest%%=*} ]] && COMP_WORDS+=("${rest%%=*}")
            COMP_WORDS+=("=")
            rest=${rest#*=}
        done
        [[ -n $rest ]] && COMP_WORDS+=("$rest")
    done
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _htmlimglist_cli htmlimglist-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ' -
}

failures=0
passed=0
expect() {  # expect LINE OFFERED
    local got
    got=$(complete_line "$1")
    if [ "$got" = "$2" ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: '$1' offered [$got], expected [$2]"
        failures=$((failures + 1))
    fi
}

check_all() {
    if [ -n "$all_names" ] && [ "$(complete_line "$1")" = "$all_names" ]; then
        passed=$((passed + 1))
    else
        echo "FAILED: '$1' does not offer every condition of $table"
        failures=$((failures + 1))
    fi
}

# Options: every one --help lists, and those that begin as typed.
offered=" $(complete_line "htmlimglist-cli -") "
for option in $help_options; do
    if [[ $offered == *" $option "* ]]; then
        passed=$((passed + 1))
    else
        echo "FAILED: '-' does not offer $option"
        failures=$((failures + 1))
    fi
done
expect "htmlimglist-cli --se" "--set --settings"
expect "htmlimglist-cli -q --ver" "--verbose --version"
# Condition names, each offered with "=", after --set and in --set=.
check_all "htmlimglist-cli --set "
check_all "htmlimglist-cli --set="
expect "htmlimglist-cli --set Make" "MakeSmallImage= MakeSmallImageAndOrgImageList="
expect "htmlimglist-cli -j 2 --set Smooth" "SmoothReduce="
expect "htmlimglist-cli --set=Max" "MaxColumn= MaxPixel="
expect "htmlimglist-cli --set NoSuch" ""
# Names without regard to case, completed as the table spells them.
expect "htmlimglist-cli --set maxp" "MaxPixel="
expect "htmlimglist-cli --set=smooth" "SmoothReduce="
expect "htmlimglist-cli --set MAKESMALLIMAGE" "MakeSmallImage= MakeSmallImageAndOrgImageList="
expect "htmlimglist-cli --set zoomimage=" "0 1"
expect "htmlimglist-cli --set=autorotate=0" "0"
# Values: 0 or 1 for a switch, nothing to offer for a number or a name.
expect "htmlimglist-cli --set MakeSmallImage=" "0 1"
expect "htmlimglist-cli --set AutoRotate=1" "1"
expect "htmlimglist-cli --set=ZoomImage=" "0 1"
expect "htmlimglist-cli --set MaxPixel=" ""
# The numbers of a choice among a few.
expect "htmlimglist-cli --set SortOrder=" "0 1 2"
expect "htmlimglist-cli --set pagestyle=" "0 1"
expect "htmlimglist-cli --set HTMLListName=" ""
# Files for --settings, folders for FOLDER, nothing for a number.
expect "htmlimglist-cli --settings " "a.INI album albums b.txt"
expect "htmlimglist-cli --settings=a." "a.INI"
expect "htmlimglist-cli --set MaxColumn=4 a" "album albums"
expect "htmlimglist-cli album " "album albums"
expect "htmlimglist-cli --jobs " ""
expect "htmlimglist-cli -- -" ""
expect "htmlimglist-cli -- al" "album albums"

echo "completion: $passed ok, $failures failed"
[ "$failures" -eq 0 ]
