#!/bin/sh
# Makes the Debian package from the build and checks it without installing it: its files
# at their places, its metadata by the Debian and freedesktop checkers, and a first start
# of the program taken out of it, under Xvfb, in an empty home folder.
set -eu
build=$1
work=$(mktemp -d)
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$work"/out/orbisk_*_amd64.deb)
echo "package: $(basename "$deb")"

listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/orbisk ./usr/bin/orbisk-cli ./usr/bin/orbisk-new-catalog \
    ./usr/share/applications/orbisk.desktop \
    ./usr/share/icons/hicolor/scalable/apps/orbisk.svg \
    ./usr/share/icons/hicolor/32x32/apps/orbisk.png \
    ./usr/share/icons/hicolor/64x64/apps/orbisk.png \
    ./usr/share/icons/hicolor/128x128/apps/orbisk.png \
    ./usr/share/metainfo/example.orbisk.Orbisk.metainfo.xml \
    ./usr/share/man/man1/orbisk.1.gz ./usr/share/man/man1/orbisk-cli.1.gz \
    ./usr/share/man/man1/orbisk-new-catalog.1.gz \
    ./usr/share/doc/orbisk/copyright; do
    echo "$listing" | grep -qx "$file" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-ipafont-gothic qt6-translations-l10n libqt6widgets6 libsqlite3-0 libicu \
    libarchive13 libmount1 libblkid1; do
    echo "$depends" | grep -q "$package" || fail "the package does not depend on $package"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/orbisk.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net \
    "$work/root/usr/share/metainfo/example.orbisk.Orbisk.metainfo.xml" || fail "appstreamcli"
lintian --fail-on error "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

# First start: the program asks to create its catalogue; OK creates it in the data folder.
mkdir -p "$work/home"
# A display of its own: Xvfb picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=:$(cat "$work/display")
HOME="$work/home" XDG_DATA_HOME="" DISPLAY="$display" LANG=C.UTF-8 \
    "$work/root/usr/bin/orbisk" >/dev/null 2>&1 &
program=$!
question=$(DISPLAY="$display" timeout 20 xdotool search --sync --onlyvisible --name '^Orbisk$' |
    head -n 1) || fail "no first-start question"
DISPLAY="$display" xdotool windowfocus --sync "$question" key Return
catalog="$work/home/.local/share/orbisk/Orbisk.mdb"
for _ in $(seq 1 100); do
    [ -s "$catalog" ] && break
    sleep 0.1
done
tables=$(sqlite3 "$catalog" "Select name From sqlite_master Where type = 'table' Order By name" |
    tr '\n' ' ')
[ "$tables" = "MediaName MediaTable " ] || fail "the new catalogue holds: $tables"
kill -0 "$program" || fail "the program ended after the first start"
echo "first start created $catalog with both tables"
