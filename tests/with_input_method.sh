#!/bin/sh
# Runs PROGRAM with a Japanese input method ready for it, as a Japanese desktop has one:
# fcitx5 or IBus, each with Mozc, on a D-Bus session bus of its own, on an Xvfb display of
# its own (or on the display named), in a fresh home folder, so that Mozc's first
# candidates are its dictionary's and not what an earlier run taught it. PROGRAM finds the
# display in DISPLAY, the input method in QT_IM_MODULE (fcitx or ibus) and the framework's
# name in ORBISK_INPUT_METHOD. Mozc refuses to run as root: under root the whole session
# runs as nobody, with PROGRAM copied where nobody can run it. Exits with PROGRAM's status,
# or 77 (skipped) when this machine lacks what the session needs.
#
# Usage: with_input_method.sh [--display :N] fcitx5|ibus PROGRAM [ARGUMENTS...]
set -eu

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# Whether process $1 is running (a child that ended stays a zombie until it is waited for).
running() {
    [ -e "/proc/$1/status" ] && ! grep -qs '^State:.*[ZX]' "/proc/$1/status"
}

case ${1:-} in
--on-bus)
    # Third step, on the session's bus: the input method's daemon, then PROGRAM.
    shift
    framework=$1
    shift
    work=$ORBISK_INPUT_METHOD_SESSION
    case $framework in
    fcitx5)
        # Only what typing through Mozc needs: the bus and fcitx5's front end on it (which
        # Qt's fcitx5 plugin talks to), the X connection, the candidate window, the
        # keyboard and Mozc.
        fcitx5 --disable=all --enable=dbus,dbusfrontend,xcb,classicui,keyboard,mozc \
            >"$work/fcitx5.log" 2>&1 &
        daemon=$!
        ready() {
            dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
                org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null |
                grep -q 'boolean true'
        }
        export QT_IM_MODULE=fcitx
        ;;
    ibus)
        # IBus's own bus at a known place, so that no machine id is needed to find it.
        export IBUS_ADDRESS="unix:path=$work/run/ibus"
        ibus-daemon --replace --verbose --address="$IBUS_ADDRESS" \
            --panel=/usr/libexec/ibus-ui-gtk3 >"$work/ibus.log" 2>&1 &
        daemon=$!
        # Mozc is chosen once the daemon answers, and chosen again only every few seconds:
        # choosing it while its engine is still starting would start it once more.
        asked=0
        ready() {
            engine=$(ibus engine 2>/dev/null) || engine=""
            [ "$engine" = mozc-jp ] && return 0
            if [ -n "$engine" ] && [ "$(date +%s)" -ge $((asked + 5)) ]; then
                asked=$(date +%s)
                # "ibus engine NAME" reports failure even where it switched.
                ibus engine mozc-jp >/dev/null 2>&1 || true
            fi
            return 1
        }
        export QT_IM_MODULE=ibus
        ;;
    esac
    deadline=$(($(date +%s) + 60))
    until ready; do
        running "$daemon" || fail "$framework ended at start: $(cat "$work/$framework.log")"
        [ "$(date +%s)" -lt "$deadline" ] ||
            fail "$framework was not ready within a minute: $(cat "$work/$framework.log")"
        sleep 0.1
    done
    export ORBISK_INPUT_METHOD=$framework QT_QPA_PLATFORM=xcb
    status=0
    "$@" || status=$?
    kill "$daemon" 2>/dev/null || true
    exit $status
    ;;
--as-user)
    # Second step, as the session's user: the display and the bus.
    shift
    work=$ORBISK_INPUT_METHOD_SESSION
    if [ -z "${DISPLAY:-}" ]; then
        # A display of its own: Xvfb picks a free number and tells it.
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
            >"$work/xvfb.log" 2>&1 &
        for _ in $(seq 1 100); do
            [ -s "$work/display" ] && break
            sleep 0.1
        done
        [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
        DISPLAY=:$(cat "$work/display")
        export DISPLAY
    fi
    # A bus that starts no services on demand: the portals, settings and accessibility
    # services a desktop would start are not needed to type, and would only slow the run.
    cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$work/run</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    exec dbus-run-session --config-file="$work/bus.conf" -- "$0" --on-bus "$@"
    ;;
esac

display=""
if [ "${1:-}" = "--display" ]; then
    display=$2
    shift 2
fi
[ $# -ge 2 ] || fail "usage: $0 [--display :N] fcitx5|ibus PROGRAM [ARGUMENTS...]"
framework=$1
program=$2
shift 2
case $framework in
fcitx5) packages="fcitx5 fcitx5-mozc fcitx5-frontend-qt6" ;;
ibus) packages="ibus ibus-mozc" ;;
*) fail "no input method framework '$framework' (fcitx5 or ibus)" ;;
esac
for package in $packages dbus-daemon xvfb xdotool; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        skip "$package is not installed (scripts/install-packages installs it)"
done
[ -f "$program" ] || fail "no program $program"

# In /tmp, which the session's user can reach whatever the caller's TMPDIR is.
work=$(mktemp -d /tmp/orbisk-input-method.XXXXXX)
# Every process of the session carries this mark, daemons that leave their parent too, so
# that the end of the session stops each of them by its id.
cleanup() {
    for environ in /proc/[0-9]*/environ; do
        if grep -qs -z -x "ORBISK_INPUT_METHOD_SESSION=$work" "$environ"; then
            pid=${environ#/proc/}
            kill "${pid%/environ}" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home/.config/fcitx5" "$work/home/.config/mozc" "$work/run" "$work/bin" \
    "$work/tmp"
cp "$program" "$0" "$work/bin/"
program="$work/bin/$(basename "$program")"
# fcitx5: the keyboard first and Mozc second, as a Japanese desktop sets them up.
cat >"$work/home/.config/fcitx5/profile" <<EOF
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
# IBus: Mozc starts in hiragana when it is chosen, rather than in direct input.
cat >"$work/home/.config/mozc/ibus_config.textproto" <<EOF
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
EOF
chmod 700 "$work/run"
as=""
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$work"
    chmod 755 "$work"
    as="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi
status=0
# Nothing of the caller's desktop reaches the session: its bus, its input method, its
# settings of GTK (IBus's panel) and its accessibility bus; temporary files go into the
# session's folder, where its user can write.
$as env -u DBUS_SESSION_BUS_ADDRESS -u XMODIFIERS -u GTK_IM_MODULE -u QT_IM_MODULE \
    -u IBUS_ADDRESS ORBISK_INPUT_METHOD_SESSION="$work" HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" \
    DISPLAY="$display" LANG="${LANG:-C.UTF-8}" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
    GTK_USE_PORTAL=0 \
    "$work/bin/$(basename "$0")" --as-user "$framework" "$program" "$@" || status=$?
exit $status
