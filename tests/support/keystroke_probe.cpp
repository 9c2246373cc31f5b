#include "keystroke_probe.h"
#include "foreground.h"
#include "pump.h"
#include "real_input.h"

#include <algorithm>

namespace tarvik::test {

namespace {

constexpr DWORD kKeyMs = 10000; // a keystroke not seen by then counts as this long
constexpr WORD kKey = VK_SHIFT;

// Made odd, so that 0 means "not yet".
DWORD downAt = 0, upAt = 0;

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == kKey) downAt = GetTickCount() | 1;
    if (message == WM_KEYUP && wParam == kKey) upAt = GetTickCount() | 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

KeystrokeProbe::~KeystrokeProbe() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool KeystrokeProbe::create() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarvikKeystrokeProbe";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, windowClass.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 900, 40,
                              200, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window_ == nullptr) return false;
    ShowWindow(window_, SW_SHOW);
    return bringToForeground(window_, 30000);
}

// One key going down or up; how long it took from SendInput to this window.
DWORD KeystrokeProbe::event(bool down) {
    DWORD& at = down ? downAt : upAt;
    at = 0;
    const DWORD start = GetTickCount();
    if (!(down ? hooktest::keyDown(kKey) : hooktest::keyUp(kKey))) return kKeyMs;
    pumpUntil([&] { return at != 0; }, kKeyMs);
    return at != 0 ? at - start : kKeyMs;
}

Typed KeystrokeProbe::typeUntil(const std::function<bool()>& done, DWORD limitMs) {
    Typed typed;
    bool late = false;
    const DWORD start = GetTickCount();
    while (!(typed.done = done()) && GetTickCount() - start <= limitMs) {
        // Set-up, not measured: the window must have the keyboard.
        if (GetForegroundWindow() != window_ && !bringToForeground(window_, 10000)) continue;
        const DWORD took = std::max(event(true), event(false));
        if (GetForegroundWindow() != window_) continue;
        typed.longest = std::max(typed.longest, took);
        typed.heldTwice += late && took >= kKeyHeldMs;
        late = took >= kKeyHeldMs;
        ++typed.strokes;
        pumpFor(20);
    }
    return typed;
}

} // namespace tarvik::test
