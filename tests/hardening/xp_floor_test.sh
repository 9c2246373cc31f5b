#!/usr/bin/env bash
# xp_floor_test.sh <checker> <objdump> <arch> <planted dll> <library dll>
# The XP floor check rejects the planted DLL for its import and its subsystem
# version, and accepts the library.
set -uo pipefail
checker=$1 objdump=$2 arch=$3 planted=$4 library=$5
ok=1
out=$(bash "$checker" "$planted" "$objdump" "$arch")
rc=$?
echo "planted: $out"
[ $rc != 0 ] || { echo "the planted DLL passed"; ok=0; }
grep -qx 'FAIL: imports that Windows XP RTM does not export: kernel32\.dll IsWow64Process' \
    <<<"$out" || { echo "not rejected for its IsWow64Process import alone"; ok=0; }
grep -q '^FAIL: subsystem version 6\.0 ' <<<"$out" || { echo "its subsystem version passed"; ok=0; }
out=$(bash "$checker" "$library" "$objdump" "$arch")
rc=$?
echo "library: $out"
[ $rc = 0 ] || { echo "the library was rejected"; ok=0; }
[ $ok = 1 ]
