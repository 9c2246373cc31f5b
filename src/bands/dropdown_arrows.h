// Drop-down arrows of the main toolbar's buttons, removed or put back.
#pragma once

#include <windows.h>

// Walks the frame to its first main toolbar: arrows, re-layout, band refit.
int walkDropdowns(HWND frame, int show);
BOOL CALLBACK dropdownToolbarProc(HWND window, LPARAM param);
// Sets (show 1) or clears (show 0) BTNS_DROPDOWN on every marked or drop-down
// button and adjusts the button spacing; positions are marked per frame kind.
// Only a style or spacing that differs is written: 1 when something was.
int setDropdownArrows(HWND toolbar, int show);
