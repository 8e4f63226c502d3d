#!/usr/bin/env bash
# `cmake --install` of the desktop files: staged under DESTDIR (as a packager does) it writes
# the files and builds no cache, so the staged tree never holds a database of this one type;
# installed plainly it registers the type and the entry at once.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

DESTDIR=$work/stage cmake --install "$build" --component desktop --prefix /usr > "$work/log"
[ -f "$work/stage/usr/share/mime/packages/cobblestack-library.xml" ] || fail "nothing staged"
extra=$(find "$work/stage" -name '*.cache' -o -path '*/mime/application*' -o -name types)
[ -z "$extra" ] || fail "a staged install built caches: $extra"

XDG_DATA_DIRS=$work/prefix/share cmake --install "$build" --component desktop --prefix "$work/prefix" \
    > "$work/log"
if command -v update-mime-database >/dev/null; then
    grep -qx application/x-autotrax-library "$work/prefix/share/mime/types" ||
        fail "a plain install did not register the file type"
fi
if command -v update-desktop-database >/dev/null; then
    grep -q 'application/x-autotrax-library=io.github.cobblestack.Cobblestack.desktop' \
        "$work/prefix/share/applications/mimeinfo.cache" ||
        fail "a plain install did not register the desktop entry"
fi
[ "$failed" = 0 ] && echo "ok: staged installs leave the caches alone, plain ones update them"
exit "$failed"
