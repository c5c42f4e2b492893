#!/bin/sh
# Every statement on the catalogue is written in src/core/catalog (src/core/sqlite is the
# statement layer beneath it): a table's columns are then known in one place. Fails when a
# string of SQL, the catalogue's connection or its header appears anywhere else in the core.
set -u
core=${1:?usage: sql_stays_in_catalog.sh SRC_CORE_FOLDER}
core=${core%/}
status=0
outside() {
    grep -rnE "$@" "$core" --include='*.cpp' --include='*.h' |
        grep -vE "^$core/+(catalog|sqlite)/"
}
if outside -i '"[^"]*\b(select|insert|update|delete|create|pragma|alter|drop)\b'; then
    echo "SQL outside the catalogue's folder (above)" >&2
    status=1
fi
if outside '\.db\(\)|catalog/connection\.h|\bConnection\('; then
    echo "the catalogue's connection reached outside its folder (above)" >&2
    status=1
fi
exit $status
