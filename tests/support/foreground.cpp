// Foreground helper: set, pump a little, look again; bounded by a deadline.
#include "foreground.h"
#include "pump.h"

namespace tarvik::test {

namespace {

// Between two tries: long enough for the X11 focus events to come back.
constexpr DWORD kRetryMs = 50;

} // namespace

bool bringToForeground(HWND window, DWORD timeoutMs) {
    if (!IsWindow(window)) return false;
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        if (pumpUntil([window] { return GetForegroundWindow() == window; }, kRetryMs)) return true;
        if (GetTickCount64() >= deadline) return false;
    }
}

} // namespace tarvik::test
