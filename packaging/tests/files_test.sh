#!/usr/bin/env bash
# The installed documentation and desktop files as Debian's tools read them:
# the man pages are clean for mandoc and name every option --help names; the
# .desktop and AppStream files validate and agree on the application's id.
# Usage: files_test.sh CLI APP_ID FILE... (*.1 man pages, *.desktop, *.metainfo.xml)
# A check whose tool is missing is skipped (exit 77 when nothing ran), unless
# HTMLIMGLIST_REQUIRE_TOOLS=1, which makes it a failure.
set -u
cli=$1
app_id=$2
shift 2
failures=0
ran=0
skipped=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    ran=$((ran + 1))
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
have() {  # have TOOL PACKAGE
    command -v "$1" >/dev/null && return 0
    if [ "${HTMLIMGLIST_REQUIRE_TOOLS:-0}" = 1 ]; then
        echo "FAILED: $1 is missing (Debian package $2)"
        failures=$((failures + 1))
    else
        echo "skipped: checks by $1 (Debian package $2 is not installed)"
        skipped=$((skipped + 1))
    fi
    return 1
}
no_output() { [ -z "$("$@" 2>&1)" ]; }
# Text between <tag> and </tag> on the line that holds it.
xml_value() { sed -n "s|.*<$2[^>]*>\\(.*\\)</$2>.*|\\1|p" "$1" | head -n 1; }

for file in "$@"; do
    case $file in
        *.1)
            have mandoc mandoc || continue
            check "$(basename "$file") is clean for mandoc -T lint -W warning" \
                no_output mandoc -T lint -W warning "$file"
            if [ "$(basename "$file")" = htmlimglist-cli.1 ]; then
                page=$(mandoc -T ascii "$file" | sed 's/.\x08//g')
                # Each option the program lists, as "-x, --long" or "--long".
                options=$(HTMLIMGLIST_LANG=en LC_ALL=C "$cli" --help |
                          grep -oE '^ +(-[a-z], )?--[a-z]+' | tr -d ' ,' | sed 's/--/ --/')
                check "--help lists options" test -n "$options"
                for option in $options; do
                    check "the man page describes $option" grep -qe "$option" <<<"$page"
                done
            fi
            ;;
        *.desktop)
            have desktop-file-validate desktop-file-utils || continue
            check "$(basename "$file") validates" no_output desktop-file-validate "$file"
            check "its Icon is the application's id" grep -qx "Icon=$app_id" "$file"
            ;;
        *.metainfo.xml)
            have appstreamcli appstream || continue
            check "$(basename "$file") validates" appstreamcli validate --no-net "$file"
            check "its id is the application's id" test "$(xml_value "$file" id)" = "$app_id"
            check "it launches $app_id.desktop" test "$(xml_value "$file" launchable)" = "$app_id.desktop"
            check "it is named after its id" test "$(basename "$file")" = "$app_id.metainfo.xml"
            ;;
        *) echo "files_test.sh: what is $file?"; exit 2 ;;
    esac
done

echo "checks: $((ran - failures)) ok, $failures failed, $skipped tools skipped"
[ "$failures" -eq 0 ] || exit 1
[ "$ran" -gt 0 ] || exit 77
exit 0
