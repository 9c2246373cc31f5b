// Unit-test bench for the icon code linked from the library's own objects: the
// state installation leaves, and the icon walk run over a stand-in frame of this
// thread exactly as the call-window hook runs it. No hooks are installed here.
#pragma once

#include <windows.h>
#include "icon_fixtures.h"
#include "state/identifiers.h"

namespace icontest {

// What installHook_EXPIE sets (slots 0..63 map to images 0..63, 64 slots, sizes
// 24 and 16), with customisation switched on. Installing for real would put this
// test program's hooks into every process of the session.
void setInstalledDefaults();

// EnumChildWindows over the frame with iconToolbarProc and the walk parameter.
void iconWalk(HWND frame, LPARAM param);

constexpr LPARAM kExplorerApply = iconWalkParam(kKindExplorer, kIconApply);
constexpr LPARAM kExplorerRestore = iconWalkParam(kKindExplorer, kIconRestore);
constexpr LPARAM kIEApply = iconWalkParam(kKindIE, kIconApply);
constexpr LPARAM kIERestore = iconWalkParam(kKindIE, kIconRestore);

// The call-window hook as the system calls it for a message sent to `window`.
void sendThroughHook(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

} // namespace icontest
