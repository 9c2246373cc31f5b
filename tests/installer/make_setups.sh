#!/usr/bin/env bash
# The installer tests' two setup programs of a build tree (win32 or win64):
#   make_setups.sh <tree> <folder> <newer version>
# <folder>/<package>-setup.exe of the tree's version, as the release names it, and
# <folder>/newer-setup.exe of the newer version with bin\newer-build.txt added, so that a
# test sees when its files arrive.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
source "$ROOT/scripts/lib/package.sh"
tree=$1 out=$2 newer=$3

command -v makensis >/dev/null || ensure_packages nsis
package_info "$tree"
rm -rf "$out"
mkdir -p "$out"
stage_installer "$tree" "$out/stage"
make_setup "$tree" "$out/stage" "$out/$TARVIK_PACKAGE_NAME-setup.exe"
echo "$newer" >"$out/stage/bin/newer-build.txt"
make_setup "$tree" "$out/stage" "$out/newer-setup.exe" "$newer"
rm -rf "$out/stage"
