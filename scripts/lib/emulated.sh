# The emulated 32-bit Wine: 32-bit x86 code cannot run natively on these machines, so
# qemu-i386 (user-mode emulation, registered with binfmt_misc) runs it, inside a private
# amd64 Debian root that holds Debian's multiarch Wine (wine, wine64, wine32:i386). The
# host's own packages and Wine are left alone. Source it after common.sh.
#
# The root is machine-wide (TARVIK_EMU_HOME, default /var/lib/tarvik-emu), so every clone
# reuses it; each build tree keeps its own prefixes in it:
#   <build>/win32/wineprefix         WINEARCH=win32, a 32-bit Windows (the i686 suites)
#   <build>/win32/wineprefix-b       the same, for the i686 suites run beside them
#   <build>/win32/wineprefix-setup   WINEARCH=win32, the win32 setup's tests (they change
#                                    the Run key, which Wine starts with each session)
#   <build>/win64/wineprefix-mixed   WINEARCH=win64, a mixed desktop (64-bit native,
#                                    32-bit emulated, one wineserver)
# Paths Wine sees must exist at the same path inside the root: the source tree and the
# build root are bind-mounted there, and /tmp/.X11-unix (Xvfb runs on the host with -ac).

EMU_HOME=${TARVIK_EMU_HOME:-/var/lib/tarvik-emu}
EMU_ROOT=$EMU_HOME/root
EMU_QEMU=$EMU_HOME/qemu-i386
EMU_LOGS=$EMU_HOME/logs
EMU_READY=$EMU_HOME/ready
EMU_PREFIX32=$BUILD_ROOT/win32/wineprefix
EMU_PREFIX32B=$BUILD_ROOT/win32/wineprefix-b
EMU_PREFIX_SETUP32=$BUILD_ROOT/win32/wineprefix-setup
EMU_PREFIX_MIXED=$BUILD_ROOT/win64/wineprefix-mixed
BINFMT=/proc/sys/fs/binfmt_misc

emu_as_root() {
    [ "$(id -u)" -eq 0 ] || { say "the emulated Wine is set up as root (mounts, chroot)"; return 1; }
}

# The Debian mirror the host uses; passed on the command line, never written to a file.
emu_mirror() {
    local m
    m=$(awk '/^URIs:/ && $2 ~ /\/debian\/?$/ {print $2; exit}' \
        /etc/apt/sources.list.d/*.sources 2>/dev/null)
    [ -n "$m" ] || m=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null)
    echo "${m:-http://deb.debian.org/debian}"
}

# Bookworm's qemu 7.2 cannot run Wine; 10 or later can.
emu_qemu_ok() { [ -x "$1" ] && "$1" --version | grep -qE 'version ([1-9][0-9])\.'; }

# The interpreter of an enabled qemu-i386 entry with flag F, if there is one.
emu_binfmt_interpreter() {
    local e=$BINFMT/qemu-i386
    [ -e $e ] && grep -q '^enabled' $e && grep -q '^flags:.*F' $e &&
        awk '/^interpreter/ {print $2}' $e
}

# qemu-i386 from the static qemu-user package of bookworm-backports, fetched with a
# throw-away apt state (nothing installed, the host's sources untouched).
emu_fetch_qemu() {
    emu_qemu_ok "$EMU_QEMU" && return 0
    say "emulated Wine: fetching qemu-user from bookworm-backports for its qemu-i386"
    local t rc=0
    t=$(mktemp -d)
    mkdir -p "$t/lists/partial" "$t/archives/partial" "$EMU_HOME"
    echo "deb $(emu_mirror) bookworm-backports main" >"$t/sources.list"
    local o=(-o "Dir::Etc::SourceList=$t/sources.list" -o Dir::Etc::SourceParts=/nonexistent
             -o "Dir::State::Lists=$t/lists" -o "Dir::Cache::Archives=$t/archives"
             -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
    { apt-get "${o[@]}" update -qq &&
        (cd "$t" && apt-get "${o[@]}" download qemu-user/bookworm-backports >/dev/null) &&
        dpkg-deb --fsys-tarfile "$t"/qemu-user_*.deb | tar -x -O ./usr/bin/qemu-i386 >"$EMU_QEMU.new" &&
        chmod 755 "$EMU_QEMU.new" && mv "$EMU_QEMU.new" "$EMU_QEMU"; } || rc=1
    rm -rf "$t" "$EMU_QEMU.new"
    [ $rc -eq 0 ] && emu_qemu_ok "$EMU_QEMU" ||
        { say "emulated Wine: no qemu-i386 10 or later from bookworm-backports"; return 1; }
}

# i386 ELF executables and shared objects go to qemu-i386. Flag F: the kernel opens the
# interpreter now, so it also serves programs inside the root. An entry that already
# uses a qemu 10 or later with flag F is kept (another set-up may own it).
emu_binfmt() {
    [ -e $BINFMT/register ] || mount -t binfmt_misc binfmt_misc $BINFMT || return 1
    local current
    current=$(emu_binfmt_interpreter)
    if [ -n "$current" ] && emu_qemu_ok "$current"; then return 0; fi
    emu_fetch_qemu || return 1
    [ -e $BINFMT/qemu-i386 ] && echo -1 >$BINFMT/qemu-i386
    say "emulated Wine: registering i386 ELF with binfmt_misc -> $EMU_QEMU (flag F)"
    printf '%s' ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$EMU_QEMU:F" \
        >$BINFMT/register
}

emu_bind() { # emu_bind <host dir>: the same directory at the same path in the root
    mkdir -p "$EMU_ROOT$1"
    mountpoint -q "$EMU_ROOT$1" || mount --bind "$1" "$EMU_ROOT$1"
}

# The root's system mounts, /tmp/.X11-unix, the source tree and the build root.
emu_mount() {
    mkdir -p /tmp/.X11-unix "$EMU_ROOT/tmp/.X11-unix" "$EMU_ROOT/proc" "$EMU_ROOT/sys" \
        "$EMU_ROOT/dev" "$BUILD_ROOT"
    chmod 1777 /tmp/.X11-unix
    mountpoint -q "$EMU_ROOT/proc" || mount -t proc proc "$EMU_ROOT/proc" || return 1
    mountpoint -q "$EMU_ROOT/sys" || mount -t sysfs sysfs "$EMU_ROOT/sys" || return 1
    # rslave: an unmount under the root's /dev must never reach the host's /dev.
    mountpoint -q "$EMU_ROOT/dev" ||
        { mount --rbind /dev "$EMU_ROOT/dev" && mount --make-rslave "$EMU_ROOT/dev"; } || return 1
    emu_bind /tmp/.X11-unix && emu_bind "$ROOT" && emu_bind "$BUILD_ROOT"
}

# Every mount under the root, deepest first.
emu_unmount_all() {
    [ -d "$EMU_ROOT" ] || return 0
    local m
    for m in $(awk -v r="$EMU_ROOT" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/self/mounts |
        sort -r); do
        umount "$m" 2>/dev/null || umount -l "$m" || return 1
    done
    ! awk -v r="$EMU_ROOT" 'index($2, r "/") == 1 {found = 1} END {exit !found}' /proc/self/mounts
}

emu_root_ready() {
    [ -f "$EMU_READY" ] && [ -x "$EMU_ROOT/usr/lib/wine/wine" ] && [ -x "$EMU_ROOT/usr/lib/wine/wine64" ]
}

# The amd64 root: debootstrap minbase, then i386 as a foreign architecture and Debian's
# Wine. Its apt sources and lists go afterwards, so no mirror's name stays in a file.
emu_make_root() {
    emu_root_ready && return 0
    local mirror
    mirror=$(emu_mirror)
    mkdir -p "$EMU_LOGS"
    if [ ! -x "$EMU_ROOT/usr/bin/apt-get" ] || [ -d "$EMU_ROOT/debootstrap" ]; then
        emu_unmount_all || return 1
        rm -rf "$EMU_ROOT"
        say "emulated Wine: debootstrap --variant=minbase bookworm (amd64) -> $EMU_ROOT (about a minute)"
        debootstrap --arch=amd64 --variant=minbase bookworm "$EMU_ROOT" "$mirror" 2>&1 |
            sed "s#$mirror#MIRROR#g" >"$EMU_LOGS/debootstrap.log"
        [ "${PIPESTATUS[0]}" -eq 0 ] ||
            { say "debootstrap failed: see $EMU_LOGS/debootstrap.log"; return 1; }
    fi
    emu_mount || return 1
    say "emulated Wine: installing wine, wine64 and wine32:i386 in the root (about a minute)"
    chroot "$EMU_ROOT" dpkg --add-architecture i386 &&
        echo "deb $mirror bookworm main" >"$EMU_ROOT/etc/apt/sources.list" &&
        chroot "$EMU_ROOT" apt-get update -qq >"$EMU_LOGS/apt-update.log" 2>&1 &&
        chroot "$EMU_ROOT" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends wine wine64 wine32:i386 2>&1 |
        sed "s#$mirror#MIRROR#g" >"$EMU_LOGS/apt-wine.log"
    local rc=${PIPESTATUS[0]}
    chroot "$EMU_ROOT" apt-get clean >/dev/null 2>&1
    rm -f "$EMU_ROOT/etc/apt/sources.list" "$EMU_ROOT/var/log/bootstrap.log"
    rm -rf "$EMU_ROOT/var/lib/apt/lists/"*
    sed -i "s#$mirror#MIRROR#g" "$EMU_LOGS/apt-update.log"
    [ "$rc" -eq 0 ] && [ -x "$EMU_ROOT/usr/lib/wine/wine" ] ||
        { say "installing Wine in the root failed: see $EMU_LOGS/apt-wine.log"; return 1; }
    touch "$EMU_READY"
}

# emu_run <prefix> <win32|win64> <command...>: a command in the root, with that prefix,
# in the caller's directory (which must be visible in the root).
emu_run() {
    local prefix=$1 arch=$2
    shift 2
    chroot "$EMU_ROOT" env -i HOME=/root USER=root LANG=C.UTF-8 PATH=/usr/lib/wine:/usr/bin:/bin \
        WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG="${WINEDEBUG:--all}" \
        WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" \
        ${DISPLAY:+DISPLAY=$DISPLAY} ${LC_ALL:+LC_ALL=$LC_ALL} \
        ${TARVIK_I686_TREE:+TARVIK_I686_TREE=$TARVIK_I686_TREE} \
        ${TARVIK_EXPECT_WINDOWS:+TARVIK_EXPECT_WINDOWS=$TARVIK_EXPECT_WINDOWS} \
        ${TARVIK_SHAPE_SEEDS:+TARVIK_SHAPE_SEEDS=$TARVIK_SHAPE_SEEDS} \
        ${TARVIK_SHAPE_SEED:+TARVIK_SHAPE_SEED=$TARVIK_SHAPE_SEED} \
        ${TARVIK_FULL_SWEEPS:+TARVIK_FULL_SWEEPS=$TARVIK_FULL_SWEEPS} \
        ${TARVIK_LANE_SLOWDOWN:+TARVIK_LANE_SLOWDOWN=$TARVIK_LANE_SLOWDOWN} \
        ${GTEST_TOTAL_SHARDS:+GTEST_TOTAL_SHARDS=$GTEST_TOTAL_SHARDS} \
        ${GTEST_SHARD_INDEX:+GTEST_SHARD_INDEX=$GTEST_SHARD_INDEX} \
        sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@"
}

# A prefix, booted once; unmanaged X11 windows as in the native prefix, and no crash
# dialog (it would wait for a click: the debugger prints its backtrace and ends the
# process instead).
emu_prefix() { # emu_prefix <prefix> <win32|win64>
    local prefix=$1 arch=$2 loader=wine
    [ "$arch" = win64 ] && loader=wine64
    [ -f "$prefix/.tarvik-emulated" ] && return 0
    say "emulated Wine: creating the $arch prefix ${prefix#$ROOT/} (once, under emulation)"
    mkdir -p "$(dirname "$prefix")"
    (emu_run "$prefix" "$arch" $loader wineboot -i >"$EMU_LOGS/wineboot-${prefix##*/}.log" 2>&1
        emu_run "$prefix" "$arch" wineserver -w
        emu_run "$prefix" "$arch" $loader reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
            /d N /f >/dev/null 2>&1
        emu_run "$prefix" "$arch" $loader reg add 'HKCU\Software\Wine\WineDbg' \
            /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        emu_run "$prefix" "$arch" wineserver -w)
    local probe=$prefix/drive_c/windows/system32/kernel32.dll
    [ "$arch" = win64 ] && probe=$prefix/drive_c/windows/syswow64/kernel32.dll
    [ -f "$probe" ] ||
        { say "the $arch prefix has no 32-bit half: see $EMU_LOGS/wineboot-${prefix##*/}.log"; return 1; }
    touch "$prefix/.tarvik-emulated"
}

# emu_copy_prefix <from> <to>: a booted emulated prefix copied, once.
emu_copy_prefix() {
    [ -f "$2/.tarvik-emulated" ] || copy_prefix "$1" "$2"
}

# Everything, idempotently: host packages, binfmt, root, mounts, the prefixes.
emu_setup() {
    emu_as_root || return 1
    ensure_packages debootstrap || return 1
    mkdir -p "$EMU_HOME" "$EMU_LOGS"
    local t0=$SECONDS
    emu_binfmt && emu_make_root && emu_mount || return 1
    # The 64-bit prefix boots beside the first 32-bit one; the other 32-bit ones are copies.
    emu_prefix "$EMU_PREFIX_MIXED" win64 &
    local mixed=$!
    emu_prefix "$EMU_PREFIX32" win32 && emu_copy_prefix "$EMU_PREFIX32" "$EMU_PREFIX32B" &&
        emu_copy_prefix "$EMU_PREFIX32" "$EMU_PREFIX_SETUP32"
    local rc=$?
    wait $mixed && [ $rc -eq 0 ] || return 1
    say "emulated Wine ready ($((SECONDS - t0)) s)"
}

# emu_session <prefix> <win32|win64> <command...>: the command on the host with its own
# Xvfb display (DISPLAY exported) and a persistent wineserver of that prefix in the root.
emu_session() {
    local prefix=$1 arch=$2
    shift 2
    local rc
    start_xvfb || return 1
    export TARVIK_EMU_PREFIX=$prefix TARVIK_EMU_ARCH=$arch
    (emu_run "$prefix" "$arch" wineserver -p >/dev/null 2>&1 &)
    local loader=wine tree=win32
    [ "$arch" = win64 ] && loader=wine64 tree=win64
    emu_run "$prefix" "$arch" $loader wineboot </dev/null >/dev/null 2>&1
    keep_desktop emu_run "$prefix" "$arch" $loader "$BUILD_ROOT/$tree/desktop_keeper.exe"
    "$@"
    rc=$?
    emu_run "$prefix" "$arch" wineserver -k >/dev/null 2>&1
    stop_xvfb
    unset TARVIK_EMU_PREFIX TARVIK_EMU_ARCH
    return $rc
}
