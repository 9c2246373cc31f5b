// The icon walk over a frame: finds its main toolbar, captures its image-list
// pair, and applies the controller's icons or restores the native ones.
#pragma once

#include <windows.h>

// 1 when the toolbar's image 0 is taller than 16 pixels (large), else 0.
// Records the answer in iconSizeMode. A toolbar whose modules lack the image-list
// functions (see imageListApiOf) is not asked: 0, and iconSizeMode stays as it was.
int probeIconSize(HWND toolbar);

// EnumChildWindows procedure; param is the frame kind << 16 | operation.
BOOL CALLBACK iconToolbarProc(HWND child, LPARAM param);
