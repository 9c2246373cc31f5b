// Which windows the library touches: Explorer and Internet Explorer frames,
// a frame's main toolbar, and any toolbar or rebar. Stateless and re-entrant.
#pragma once

#include <windows.h>

int isExplorerFrame(HWND window);
int isIEFrame(HWND window);
int isMainToolbar(HWND window, int checkFrame);
int isBarWindow(HWND window, int checkFrame);

// 1 for an Explorer frame, 2 for an Internet Explorer frame, 0 otherwise (Explorer tested first).
int frameKindOf(HWND window);
