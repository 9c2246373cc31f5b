// Making a window the foreground window. Under Wine SetForegroundWindow takes
// effect only once messages have been pumped, so it is repeated until it holds.
#pragma once

#include <windows.h>

namespace tarvik::test {

// Repeats SetForegroundWindow while pumping until GetForegroundWindow() is
// `window` (the window may belong to another thread or process).
bool bringToForeground(HWND window, DWORD timeoutMs = 3000);

} // namespace tarvik::test
