// The menu band: found, queried, shown and hidden, and the 2-second auto-hide
// timer that a user toggle arms.
#pragma once

#include <windows.h>

BOOL CALLBACK menuBandProc(HWND window, LPARAM param);

// 1 when the frame's menu band is visible, 0 when hidden or absent.
int queryMenuBand(HWND frame);
// The settings path: never arms the auto-hide timer; hiding cancels it.
void showMenuBand(HWND frame, int show);
// The toggle path: showing (re)arms the auto-hide timer, hiding cancels it.
void setMenuBand(HWND frame, int show);
// Shows a hidden band (with auto-hide) or hides a visible one.
void toggleMenuBand(HWND frame);
