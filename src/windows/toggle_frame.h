// A toggle frame: a frame whose kind has its menu band set to be hidden, so the
// Alt tap, the middle click and the context-menu item may toggle it.
#pragma once

#include <windows.h>

// Each classifier is asked only when its kind's hideMenu flag is set.
bool isToggleFrame(HWND frame);

// True while either hideMenu flag is set (the keyboard hooks do nothing otherwise).
bool anyMenuHidden();
