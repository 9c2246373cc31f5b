#!/usr/bin/env bash
# wine_windows_version.sh <wine> <i686|x86_64> <xp|default> [<program>...]
# Has Wine tell the named programs (by file name) that they run on Windows XP, or stop
# doing so: the value Version under HKCU\Software\Wine\AppDefaults\<program>, "winxp"
# in a 32-bit prefix and "winxp64" in a 64-bit one, as winecfg writes it. Without
# programs, the whole prefix (HKCU\Software\Wine). <wine> is the tree's emulator.
set -uo pipefail
wine=$1 arch=$2 version=$3
shift 3
keys=()
for program in "$@"; do keys+=("HKCU\\Software\\Wine\\AppDefaults\\$program"); done
[ ${#keys[@]} -gt 0 ] || keys=("HKCU\\Software\\Wine")
name=winxp
[ "$arch" = x86_64 ] && name=winxp64
rc=0
for key in "${keys[@]}"; do
    if [ "$version" = xp ]; then
        "$wine" reg add "$key" /v Version /d "$name" /f >/dev/null 2>&1 || rc=1
        echo "$key: Version = $name"
    else
        "$wine" reg delete "$key" /v Version /f >/dev/null 2>&1
        echo "$key: Version removed"
    fi
done
# The value is read as a process starts: every later program sees it.
exit $rc
