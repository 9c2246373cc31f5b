# Shared by the project's scripts: packages, build trees, and the Wine session.
# Source it; TARVIK_BUILD_ROOT (default: build) lets several build roots coexist.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_ROOT=${TARVIK_BUILD_ROOT:-$ROOT/build}
case $BUILD_ROOT in /*) ;; *) BUILD_ROOT=$ROOT/$BUILD_ROOT ;; esac
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

PACKAGES=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest
          wine64 xvfb python3 python3-pil ccache)

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

# copy_prefix <from> <to>: a booted prefix (its wineserver ended) copied over <to>. A copy
# is a second's work, booting one many; nothing in a prefix names the folder it lives in.
copy_prefix() {
    say "copying the Wine prefix ${1#$ROOT/} to ${2#$ROOT/} (once)"
    rm -rf "$2"
    cp -a "$1" "$2"
}

ensure_wineprefix() {
    wine_env
    local first=$BUILD_ROOT/win64/wineprefix
    # Wine makes the prefix's folder but not its parents (the tree may not be configured yet).
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ] && [ "$WINEPREFIX" != "$first" ] &&
        [ -f "$first/.tarvik-unmanaged" ]; then
        copy_prefix "$first" "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix ${WINEPREFIX#$ROOT/} (once)"
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

# start_xvfb: an Xvfb display of its own for this shell (DISPLAY exported, XVFB_PID set).
# -displayfd: Xvfb takes a free display itself, so sessions started side by side never
# pick the same one (xvfb-run -a looks at lock files first and can).
start_xvfb() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 9 -ac -nolisten tcp -screen 0 1280x1024x24 9>"$fd_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
    if [ ! -s "$fd_file" ]; then
        kill "$XVFB_PID" 2>/dev/null
        rm -f "$fd_file"
        say "Xvfb did not start"
        return 1
    fi
    export DISPLAY=:$(head -n1 "$fd_file")
    rm -f "$fd_file"
}
stop_xvfb() {
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    unset DISPLAY XVFB_PID
}

# keep_desktop <loader...> <keeper.exe>: the session's desktop started away from the
# command's pipes and held open while the session lasts (Wine would close it after each
# program and start it again for the next), where the tree has built the keeper.
keep_desktop() {
    [ -f "${*: -1}" ] || return 0
    local ready
    ready=$(mktemp -p "$BUILD_ROOT" .desktop-ready.XXXXXX) && rm -f "$ready" || return 0
    "$@" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
    local keeper=$!
    for _ in $(seq 1200); do [ -e "$ready" ] && break; sleep 0.1; done
    # A keeper that came later could hold open a desktop a test program started, and with
    # it that program's output pipe: none, then.
    [ -e "$ready" ] || { kill $keeper 2>/dev/null; say "the desktop keeper did not start"; }
    rm -f "$ready"
}

# in_wine_session <command...>: one Xvfb display and a persistent wineserver for the command.
in_wine_session() {
    wine_env
    local rc
    start_xvfb || return 1
    # wineboot starts the prefix services first, away from the command's pipes: started by
    # the first test program instead, they inherit its stdout and ctest waits on them.
    ("$WINESERVER" -p >/dev/null 2>&1 &)
    "$WINE64" wineboot </dev/null >/dev/null 2>&1
    keep_desktop "$WINE64" "$BUILD_ROOT/win64/desktop_keeper.exe"
    "$@"
    rc=$?
    "$WINESERVER" -k >/dev/null 2>&1
    stop_xvfb
    return $rc
}
