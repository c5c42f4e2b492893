#!/bin/sh
# The program's command line, run in an empty home folder: --help names the catalogue in
# use, --version the version, and an unknown option prints the usage to standard error
# and ends with 2.
set -u
program=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}
help=$(HOME="$home" XDG_DATA_HOME="" "$program" --help) || fail "--help ended with $?"
echo "$help" | grep -q -- "--catalog <FILE>" || fail "--help does not list --catalog"
echo "$help" | grep -qx "Catalogue in use: $home/.local/share/orbisk/Orbisk.mdb" ||
    fail "--help does not name the catalogue in the data folder"
help=$(HOME="$home" "$program" --catalog "$home/mine.mdb" --help)
echo "$help" | grep -qx "Catalogue in use: $home/mine.mdb" || fail "--catalog is not used"
[ "$("$program" --version)" = "orbisk 1.0" ] || fail "--version"
"$program" --no-such-option >"$home/out" 2>"$home/err"
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with $status"
[ -s "$home/out" ] && fail "an unknown option wrote to standard output"
grep -q "Unknown option 'no-such-option'" "$home/err" || fail "no reason on standard error"
grep -q "Usage:" "$home/err" || fail "no usage on standard error"
[ -e "$home/.local" ] && fail "the command line made files"
echo "command line as expected"
