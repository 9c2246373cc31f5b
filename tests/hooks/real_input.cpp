// Injected input.
#include "real_input.h"

#include "pump.h"

namespace hooktest {

namespace {

constexpr int kScanStep = 3;
constexpr DWORD kCursorSettleMs = 2000;

bool send(INPUT input) {
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

INPUT mouseInput(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT keyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

bool pointOver(HWND window, POINT* at) {
    RECT rect;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect)) return false;
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (WindowFromPoint(centre) == window) {
        *at = centre;
        return true;
    }
    // A rebar is mostly covered by its bands' children; its grippers and borders are its own.
    for (int y = rect.top; y < rect.bottom; y += kScanStep)
        for (int x = rect.left; x < rect.right; x += kScanStep) {
            POINT point{x, y};
            if (WindowFromPoint(point) == window) {
                *at = point;
                return true;
            }
        }
    return false;
}

bool putCursorAt(POINT at) {
    if (!SetCursorPos(at.x, at.y)) return false;
    return tarvik::test::pumpUntil(
        [at] {
            POINT now{};
            return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
        },
        kCursorSettleMs);
}

bool putCursorOver(HWND window) {
    POINT at{};
    return pointOver(window, &at) && putCursorAt(at) && WindowFromPoint(at) == window;
}

POINT pointOutsideWindows() {
    // The top-right corner of the 1280x1024 test screen: frames and the taskbar stay clear.
    return POINT{GetSystemMetrics(SM_CXSCREEN) - 3, 3};
}

bool middleClick() {
    return send(mouseInput(MOUSEEVENTF_MIDDLEDOWN)) && send(mouseInput(MOUSEEVENTF_MIDDLEUP));
}

bool keyDown(WORD virtualKey) {
    return send(keyInput(virtualKey, false));
}

bool keyUp(WORD virtualKey) {
    return send(keyInput(virtualKey, true));
}

} // namespace hooktest
