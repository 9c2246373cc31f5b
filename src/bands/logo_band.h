// The logo band: the rebar band whose child is a "WorkerW" window.
#pragma once

#include <windows.h>

// Hides (show 0) or shows (show 1) the first logo band found under the frame.
int walkLogoBand(HWND frame, int show);
BOOL CALLBACK logoBandProc(HWND window, LPARAM param);
