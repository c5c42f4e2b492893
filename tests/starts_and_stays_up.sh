#!/bin/sh
# Starts the program beside a fresh catalogue of its own and expects it still running
# after three seconds: a crash or an early exit at start-up fails.
set -u
program=$1 new_catalog=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$program" "$folder/orbisk"
"$new_catalog" "$folder/Orbisk.mdb" || exit 1
timeout 3 "$folder/orbisk"
status=$?
if [ "$status" -eq 124 ]; then
    echo "the program started and kept running"
    exit 0
fi
echo "the program ended early with status $status"
exit 1
