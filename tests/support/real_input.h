// Real input for the hook tests: the cursor put over a window of any process,
// middle clicks and keystrokes injected with SendInput, as a user makes them.
// (Under Wine a posted mouse message never reaches WH_MOUSE; injected input does.)
#pragma once

#include <windows.h>
#include "cursor.h"

namespace hooktest {

using tarvik::test::pointOver;
using tarvik::test::putCursorAt;
using tarvik::test::putCursorOver;

// A middle button press and release where the cursor is.
bool middleClick();
// One key going down or coming up (scan code filled in).
bool keyDown(WORD virtualKey);
bool keyUp(WORD virtualKey);

} // namespace hooktest
