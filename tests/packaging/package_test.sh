#!/usr/bin/env bash
# Builds the Debian package from this build folder, unpacks it into a throw-away root and checks
# that everything lands where the desktop looks for it, that the programs run from there, and
# that the package leaves the desktop's caches to the triggers of the packages that own them.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
id=io.github.cobblestack.Cobblestack
type=application/x-autotrax-library
for tool in cpack dpkg-deb dpkg-shlibdeps readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

# gzip rather than xz: the same package, built in a fraction of the time.
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" \
        -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip > "$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$work/out/cobblestack_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAILED: no $deb"; exit 1; }

control() { dpkg-deb -f "$deb" "$1"; }
[ "$(control Package)" = cobblestack ] || fail "Package: $(control Package)"
[ "$(control Version)" = "$version" ] || fail "Version: $(control Version)"
[ "$(control Architecture)" = amd64 ] || fail "Architecture: $(control Architecture)"
[[ $(control Depends) == *libqt6widgets6* ]] || fail "Depends: $(control Depends)"
[ "$(control Suggests)" = kicad ] || fail "Suggests: $(control Suggests)"
[ -n "$(control Section)" ] && [ -n "$(control Maintainer)" ] || fail "no Section or Maintainer"
# No maintainer scripts: the caches are brought up to date by the triggers below.
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '^\./$' | sort | tr '\n' ' ')
[ "$members" = "./control ./md5sums " ] || fail "control members: $members"

root=$work/root
dpkg -x "$deb" "$root"
share=$root/usr/share
expect() {
    for path in "$@"; do [ -f "$root/$path" ] || fail "missing /$path"; done
}
expect usr/bin/cobblestack usr/bin/cobble \
    usr/share/man/man1/cobble.1.gz usr/share/man/man1/cobblestack.1.gz \
    "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    usr/share/mime/packages/cobblestack-library.xml usr/share/thumbnailers/cobblestack.thumbnailer \
    usr/share/doc/cobblestack/copyright usr/share/doc/cobblestack/changelog.gz \
    usr/share/cobblestack/samples/IC.LIB usr/share/bash-completion/completions/cobble \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    usr/share/icons/hicolor/scalable/mimetypes/application-x-autotrax-library.svg
for side in 16 32 48 64 128 256; do
    expect "usr/share/icons/hicolor/${side}x$side/apps/$id.png" \
        "usr/share/icons/hicolor/${side}x$side/mimetypes/application-x-autotrax-library.png"
done
for program in cobblestack cobble; do
    if readelf -S "$root/usr/bin/$program" | grep -Eq '\.(symtab|debug_info)'; then
        fail "$program is not stripped"
    fi
    zcat "$share/man/man1/$program.1.gz" | grep -qi "^\.TH $program \"\?1" ||
        fail "$program.1.gz is no manual page"
    # No display: help2man and a terminal without a desktop must get the version all the same.
    first=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version |
            head -1)
    [ "$first" = "$program $version" ] || fail "$program --version says: $first"
done
# The drawing commands load their module from where the package put it.
if ! "$root/usr/bin/cobble" thumbnail "$share/cobblestack/samples/IC.LIB" "$work/ic.png" ||
        [ ! -s "$work/ic.png" ]; then
    fail "cobble thumbnail does not draw from the installed module"
fi
zcat "$share/doc/cobblestack/changelog.gz" | head -1 | grep -q "^cobblestack ($version)" ||
    fail "the changelog's newest entry is not $version"
grep -q '^Exec=cobblestack %f$' "$share/applications/$id.desktop" || fail "the entry's Exec line"
leftovers=$(find "$root" -name mime.cache -o -name mimeinfo.cache -o -name icon-theme.cache)
[ -z "$leftovers" ] || fail "the package carries caches: $leftovers"

# Each cache is the business of the package that watches the folder; its trigger fires when
# files land there. Each watched folder must hold ours.
for owner in shared-mime-info desktop-file-utils hicolor-icon-theme; do
    triggers=/var/lib/dpkg/info/$owner.triggers
    if [ ! -f "$triggers" ]; then
        echo "note: $owner is not installed; its trigger is not checked"
        continue
    fi
    while read -r kind folder; do
        [[ $kind == interest* && $folder == /usr/share/* ]] || continue
        [ -n "$(find "$root$folder" -type f 2>/dev/null | head -1)" ] ||
            fail "$owner watches $folder, where the package puts nothing"
    done < "$triggers"
done

# What shared-mime-info's trigger then does, in the throw-away root: the installed sample is
# of our type there.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
    XDG_DATA_DIRS=$share update-mime-database "$share/mime"
    found=$(XDG_DATA_DIRS=$share XDG_DATA_HOME=$work/home \
            gio info -a standard::content-type "$share/cobblestack/samples/IC.LIB" |
            sed -n 's/^ *standard::content-type: //p')
    [ "$found" = "$type" ] || fail "the installed type names the sample $found"
fi

[ "$failed" = 0 ] && echo "ok: $(basename "$deb") installs the programs and desktop files in place"
exit "$failed"
