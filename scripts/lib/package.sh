# Release archives, shared by scripts/package and scripts/check-package. Source it
# after common.sh.

# Tools the archive checks use besides the build's: llvm-dlltool makes the Microsoft import library,
# llvm-readobj reads it back, clang and lld-link link Microsoft-ABI objects against it;
# makensis makes the setup programs.
PACKAGE_TOOLS=(llvm lld clang python3 nsis)
# What an archive holds, and its debug files: all a tree must build to be packed.
SHIPPED_TARGETS=(TarvikToolBar tarvikctl tarvik_package_files)

# package_info <build tree>: TARVIK_PACKAGE_NAME, TARVIK_VERSION, TARVIK_ARCH, TARVIK_TRIPLE
# and TARVIK_TOOLCHAIN of that tree.
package_info() {
    # shellcheck source=/dev/null
    source "$1/package/package-info.sh"
}

# make_archive <build tree> <folder>: the tree's ZIP (CPack, from the tree's install
# rules) and beside it, in <name>-debug/, the debug files its binaries link to.
make_archive() {
    local tree=$1 dest=$2
    package_info "$tree"
    local staging=$dest/.cpack-$TARVIK_ARCH
    rm -rf "$staging" "$dest/$TARVIK_PACKAGE_NAME.zip" "$dest/$TARVIK_PACKAGE_NAME-debug"
    mkdir -p "$staging" "$dest/$TARVIK_PACKAGE_NAME-debug" || return 1
    if ! cpack --config "$tree/CPackConfig.cmake" -B "$staging" >"$staging/cpack.log" 2>&1; then
        cat "$staging/cpack.log"
        return 1
    fi
    if [ -n "${TARVIK_COMPANION_TREE:-}" ]; then
        mkdir -p "$dest/$TARVIK_PACKAGE_NAME-debug/x86" &&
            cp "$TARVIK_COMPANION_TREE"/debug/*.debug "$dest/$TARVIK_PACKAGE_NAME-debug/x86/" ||
            return 1
    fi
    mv "$staging/$TARVIK_PACKAGE_NAME.zip" "$dest/" &&
        cp "$tree"/debug/*.debug "$dest/$TARVIK_PACKAGE_NAME-debug/" &&
        rm -rf "$staging"
}

# stage_installer <build tree> <folder>: what the tree's archive holds, installed into
# <folder> by the same install rules, for make_setup.
stage_installer() {
    local tree=$1 stage=$2
    rm -rf "$stage"
    mkdir -p "$stage" || return 1
    if ! cmake --install "$tree" --prefix "$stage" >"$stage.log" 2>&1; then
        cat "$stage.log"
        return 1
    fi
    rm -f "$stage.log"
}

# make_setup <build tree> <staged folder> <setup.exe> [version]: the per-user setup
# program of those files (the tree's version unless another is given). Then what it
# ships must load on Windows XP (scripts/check-xp-floor): the setup program, whose
# stub is also the uninstaller it writes, the files it installs, and the NSIS plug-ins
# it carries, as makensis names them.
make_setup() {
    local tree=$1 stage=$2 out=$3 version=${4:-}
    local log=$out.log
    if ! makensis -V4 -NOCD ${version:+"-DVERSION=$version"} "-DSTAGE=$stage" "-DOUTFILE=$out" \
        "$tree/installer/TarvikToolBar.nsi" >"$log" 2>&1; then
        cat "$log"
        return 1
    fi
    local plugin_dir plugins=()
    plugin_dir=$(sed -n 's|^Processing default plugins: "\(.*\)/\*\.dll"$|\1|p' "$log" | head -n1)
    while read -r plugin; do plugins+=("$plugin_dir/$plugin"); done < <(
        sed -n 's|^File: "\([^"]*\.dll\)"->"\$PLUGINSDIR.*|\1|p' "$log" | sort -u)
    rm -f "$log"
    [ ${#plugins[@]} -gt 0 ] || { echo "makensis named no plug-in of the setup"; return 1; }
    bash "$ROOT/scripts/check-xp-floor" "$out" "$stage" "${plugins[@]}"
}

# make_installer <build tree> <folder>: <package>-setup.exe of the tree in <folder>.
make_installer() {
    local tree=$1 dest=$2
    package_info "$tree"
    local stage=$dest/.setup-$TARVIK_ARCH
    stage_installer "$tree" "$stage" &&
        make_setup "$tree" "$stage" "$dest/$TARVIK_PACKAGE_NAME-setup.exe" &&
        rm -rf "$stage"
}
