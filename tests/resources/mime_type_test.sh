#!/usr/bin/env bash
# The library file type as the desktop sees it: shared-mime-info builds a database of the
# system's types and ours in a throw-away data folder, and GIO, which file managers and file
# dialogs ask, names each file's type from it. Libraries are ours whatever their names; other
# files called *.lib are not.
# Usage: mime_type_test.sh TYPES.xml LIBRARY
set -euo pipefail
types=$1
library=$2
for tool in update-mime-database gio ar; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/mime/packages" "$work/home" "$work/files"
cp /usr/share/mime/packages/*.xml "$work/data/mime/packages/"
cp "$types" "$work/data/mime/packages/"
XDG_DATA_DIRS=$work/data update-mime-database "$work/data/mime"

files=$work/files
cp "$library" "$files/IC.LIB"
cp "$library" "$files/IC"
cp "$library" "$files/ic.lib"
printf 'EESchema-LIBRARY Version 2.4\n#encoding utf-8\n#\n# R\n#\nDEF R R 0 0 N Y 1 F N\nENDDEF\n#End Library\n' \
    > "$files/kicad5.lib"
printf 'just text\n' > "$work/member.txt"
ar rc "$files/win.lib" "$work/member.txt"
printf 'Notes about the parts I keep.\n' > "$files/fake.LIB"

ask() {
    XDG_DATA_DIRS=$work/data XDG_DATA_HOME=$work/home gio info -a "$1" "$2" |
        sed -n "s/^ *$1: //p"
}

failed=0
ours=application/x-autotrax-library
for name in IC.LIB IC ic.lib kicad5.lib win.lib fake.LIB; do
    type=$(ask standard::content-type "$files/$name")
    case $name in
        IC*|ic*) want_ours=yes ;;
        *) want_ours=no ;;
    esac
    if { [ "$want_ours" = yes ] && [ "$type" = "$ours" ]; } ||
       { [ "$want_ours" = no ] && [ -n "$type" ] && [ "$type" != "$ours" ]; }; then
        echo "ok: $name is $type"
    else
        echo "FAILED: $name is $type"
        failed=1
    fi
done
icons=$(ask standard::icon "$files/IC")
if [[ $icons != application-x-autotrax-library,* ]]; then
    echo "FAILED: a library's icons are: $icons"
    failed=1
fi
exit "$failed"
