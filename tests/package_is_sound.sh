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

# Japanese is typed through fcitx5 or IBus: fcitx5's front end for Qt 6 is recommended, and
# the package holding Qt's own IBus plugin is among the dependencies.
dpkg-deb -f "$deb" Recommends | grep -qw fcitx5-frontend-qt6 ||
    fail "the package does not recommend fcitx5-frontend-qt6"
ibus_plugin=$(dpkg -S '*/qt6/plugins/platforminputcontexts/libibusplatforminputcontextplugin.so' \
    2>/dev/null | cut -d: -f1 | head -n 1)
[ -n "$ibus_plugin" ] || fail "no package of this machine holds Qt's IBus plugin"
echo "$depends" | grep -qw "$ibus_plugin" ||
    fail "the package does not depend on $ibus_plugin, which holds Qt's IBus plugin"

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
# The program may still be writing it, one table after the other: asked until both are
# there, each reading waiting for the program's lock.
tables=""
for _ in $(seq 1 100); do
    [ -s "$catalog" ] && tables=$(sqlite3 -cmd ".timeout 10000" "$catalog" \
        "Select name From sqlite_master Where type = 'table' Order By name" | tr '\n' ' ')
    [ "$tables" = "MediaName MediaTable " ] && break
    sleep 0.1
done
[ "$tables" = "MediaName MediaTable " ] || fail "the new catalogue holds: $tables"
kill -0 "$program" || fail "the program ended after the first start"
echo "first start created $catalog with both tables"
