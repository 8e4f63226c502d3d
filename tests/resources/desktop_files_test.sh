#!/usr/bin/env bash
# The desktop entry and the AppStream metadata as the desktop's own validators see them, and
# the names that tie them, the file type and the thumbnailer together.
# Usage: desktop_files_test.sh RESOURCES_DIR METAINFO VERSION
set -euo pipefail
resources=$1
metainfo=$2
version=$3
id=io.github.cobblestack.Cobblestack
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

desktop=$resources/$id.desktop
report=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$report" ] || fail "desktop-file-validate: $report"
# Errors and warnings fail; the pedantic notes (an upper-case letter in the ID) do not.
report=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || true
if grep -Eq '^(E|W):' <<<"$report"; then fail "appstreamcli: $report"; fi

field() { sed -n "s/^$1=//p" "$2"; }
[ "$(field Exec "$desktop")" = "cobblestack %f" ] || fail "the desktop entry does not pass the file"
[ "$(field Icon "$desktop")" = "$id" ] || fail "the desktop entry's icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "the metadata's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metadata launches another desktop entry"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release is $newest, the program's version $version"
type=$(grep -o 'mime-type type="[^"]*"' "$resources/cobblestack-library.xml" | cut -d'"' -f2)
[ "$(field MimeType "$desktop")" = "$type;" ] || fail "the desktop entry opens other types"
[ "$(field MimeType "$resources/cobblestack.thumbnailer")" = "$type;" ] ||
    fail "the thumbnailer draws other types"
grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metadata does not provide $type"
[ "$failed" = 0 ] && echo "ok: desktop entry, metadata, file type and thumbnailer agree"
exit "$failed"
