// Puts the mouse cursor where a context menu is opened from: over a bar, over
// the frame's list view, or outside every frame. The extension asks
// WindowFromPoint at the cursor, so the helpers check the same answer.
#pragma once

#include <windows.h>

namespace menu_test {

// A screen point where WindowFromPoint answers `window`; false if none is found.
bool pointOver(HWND window, POINT* at);

// Moves the cursor to `at` and waits (bounded) until GetCursorPos reports it.
bool putCursorAt(POINT at);

// Moves the cursor over `window` (a point where WindowFromPoint answers it).
bool putCursorOver(HWND window);

// Moves the cursor to a point that no window of this desktop but the desktop covers.
bool putCursorOutsideWindows();

} // namespace menu_test
