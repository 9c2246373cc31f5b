# The per-user setup program: an NSIS script configured for this tree, which makensis
# turns into <package>-setup.exe from the tree's install rules (scripts/lib/package.sh).
# A plain script rather than CPack's NSIS generator: CPack's template has no switch for
# a per-user setup without elevation nor for a 64-bit setup program, and the upgrade has
# to stop the running controller before any file is touched.

configure_file(${CMAKE_CURRENT_LIST_DIR}/installer/TarvikToolBar.nsi.in
               ${CMAKE_BINARY_DIR}/installer/TarvikToolBar.nsi @ONLY)
