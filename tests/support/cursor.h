// The mouse cursor put where a user would hold it: over a window of any process
// (where WindowFromPoint answers that window, as the library asks), or outside
// every window.
#pragma once

#include <windows.h>

namespace tarvik::test {

// A screen point where WindowFromPoint answers `window`; false if none is found.
bool pointOver(HWND window, POINT* at);
// Moves the cursor to `at` and waits (bounded) until GetCursorPos reports it there.
bool putCursorAt(POINT at);
// The cursor over `window`, where WindowFromPoint answers it.
bool putCursorOver(HWND window);
// The cursor on a point that only the desktop covers.
bool putCursorOutsideWindows();

} // namespace tarvik::test
