# Shared by the project's scripts: packages, build trees, and the Wine session.
# Source it; TARVIK_BUILD_ROOT (default: build) lets several build roots coexist.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_ROOT=${TARVIK_BUILD_ROOT:-$ROOT/build}
case $BUILD_ROOT in /*) ;; *) BUILD_ROOT=$ROOT/$BUILD_ROOT ;; esac
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

PACKAGES=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest
          wine64 xvfb xauth python3 python3-pil ccache)

# ccache: paths below the source tree are hashed relative to it, and the build folder is
# left out of the hash, so another clone or worktree of the same sources hits the cache.
export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1

say() { printf '==> %s\n' "$*"; }

# ensure_packages [extra package...]: the packages every script needs, and those named.
ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing ${missing[*]}"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# configure_and_build <preset> [target...]: every target unless some are named
configure_and_build() {
    local preset=$1 dir=$BUILD_ROOT/$1
    shift
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    if [ ! -f "$dir/build.ninja" ]; then
        say "configuring $preset in ${dir#$ROOT/}"
        cmake --preset "$preset" -S "$ROOT" -B "$dir" >/dev/null
    fi
    say "building $preset${1:+ ($*)}"
    cmake --build "$dir" "${targets[@]}" -- -k 0 | grep -Ev '^\[[0-9]+/[0-9]+\] ' || true
    [ "${PIPESTATUS[0]}" -eq 0 ]
}

# The Wine prefix of a build tree, booted once and reused (TARVIK_WINEPREFIX: another
# one, for a second session beside the first).
wine_env() {
    export WINEPREFIX=${TARVIK_WINEPREFIX:-$BUILD_ROOT/win64/wineprefix} WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

ensure_wineprefix() {
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix (once)"
        "$WINE64" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # Unmanaged X11 windows: hiding a visible top-level window then takes milliseconds
    # instead of about two seconds under Xvfb, which the timing tests depend on.
    if [ ! -f "$WINEPREFIX/.tarvik-unmanaged" ]; then
        "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
            "$WINESERVER" -w && touch "$WINEPREFIX/.tarvik-unmanaged"
    fi
}

# in_wine_session <command...>: one Xvfb display and a persistent wineserver for the command.
in_wine_session() {
    wine_env
    # wineboot starts the prefix services first, away from the command's pipes: started by
    # the first test program instead, they inherit its stdout and ctest waits on them.
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        ("$0" -p >/dev/null 2>&1 &)
        "$1" wineboot </dev/null >/dev/null 2>&1
        shift
        shift_cmd=("$@")
        "${shift_cmd[@]}"; rc=$?
        "$0" -k >/dev/null 2>&1
        exit $rc' "$WINESERVER" "$WINE64" "$@"
}
