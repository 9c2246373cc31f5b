#!/usr/bin/env bash
# xp_floor_test.sh <checker> <objdump> <arch> <planted dll> <library dll>
#                  [<planted program> <program>...]
# The XP floor check rejects the planted DLL for its import and its subsystem
# version, and accepts the library. With programs (scripts/check-xp-floor as the
# checker's neighbour): the planted program is rejected for its GetTickCount64 import
# alone, and each shipped program is accepted.
set -uo pipefail
checker=$1 objdump=$2 arch=$3 planted=$4 library=$5
shift 5
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
if [ $# -gt 0 ]; then
    floor=$(dirname "$checker")/check-xp-floor
    out=$(bash "$floor" "$1")
    rc=$?
    echo "planted program: $out"
    [ $rc != 0 ] || { echo "the planted program passed"; ok=0; }
    grep -qE '^FAIL: [^ ]+ \([a-z0-9_]+\): imports that Windows XP (x64 )?SP2 does not export: kernel32\.dll GetTickCount64$' \
        <<<"$out" || { echo "not rejected for its GetTickCount64 import alone"; ok=0; }
    grep -q 'subsystem version 5\.0[12] ' <<<"$out" || { echo "its subsystem version was not XP's"; ok=0; }
    shift
    out=$(bash "$floor" "$@")
    rc=$?
    echo "programs: $out"
    [ $rc = 0 ] || { echo "a shipped program was rejected"; ok=0; }
fi
[ $ok = 1 ]
