// Real input for the hook tests: the cursor put over a window of any process,
// middle clicks and keystrokes injected with SendInput, as a user makes them.
// (Under Wine a posted mouse message never reaches WH_MOUSE; injected input does.)
#pragma once

#include <windows.h>

namespace hooktest {

// A screen point where WindowFromPoint answers `window`; false if none is found.
bool pointOver(HWND window, POINT* at);
// Moves the cursor to `at` and waits (bounded) until GetCursorPos reports it there.
bool putCursorAt(POINT at);
// The cursor over `window`, where WindowFromPoint answers it.
bool putCursorOver(HWND window);
// A point that only the desktop covers, for a click outside every window.
POINT pointOutsideWindows();

// A middle button press and release where the cursor is.
bool middleClick();
// One key going down or coming up (scan code filled in).
bool keyDown(WORD virtualKey);
bool keyUp(WORD virtualKey);

} // namespace hooktest
