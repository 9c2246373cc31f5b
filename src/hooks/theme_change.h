// After a visual-style change the toolbar's lists are new: the icons are
// captured and applied again at the main toolbar's next ideal-size query.
#pragma once

#include <windows.h>

// WM_THEMECHANGED: marks this process (main toolbar) or forgets Explorer's pairs (taskbar).
void markThemeChange(HWND window);
// TB_GETIDEALSIZE on a marked process: re-applies the icons of the toolbar's frame.
void reapplyAfterThemeChange(HWND window);
