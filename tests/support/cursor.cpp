// Cursor placement for tests that open menus or click: SetCursorPos, then a
// bounded wait until the system reports the cursor there.
#include "cursor.h"

#include "pump.h"

namespace tarvik::test {

namespace {

constexpr int kScanStep = 3;
constexpr DWORD kCursorSettleMs = 2000;

} // namespace

bool pointOver(HWND window, POINT* at) {
    RECT rect;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect)) return false;
    // Centre first: a toolbar's buttons are no windows, so it answers there.
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
    return pumpUntil(
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

bool putCursorOutsideWindows() {
    // The bottom-right corner of the 1280x1024 test screen: frames stay well inside.
    POINT corner{GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
    return putCursorAt(corner) && WindowFromPoint(corner) == GetDesktopWindow();
}

} // namespace tarvik::test
