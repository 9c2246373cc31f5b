// Whose windows these are. On a desktop of two bitnesses the system runs a hook
// of the other bitness in the controller's thread, for windows of other
// processes; the library works only on windows of its own process.
#pragma once

#include <windows.h>

// True when the window belongs to this process; false for a null or dead window.
bool isOwnWindow(HWND window);

// True when the window's process runs with this library's bitness, this process
// included; false when that cannot be told.
bool hasOwnBitness(HWND window);
