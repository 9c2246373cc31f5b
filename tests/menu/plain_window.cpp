// Plain windows for the context-menu suites, in this test process.
#include "plain_window.h"

#include <gtest/gtest.h>

namespace menu_test {

HWND plainWindow(HWND parent, const char* className) {
    WNDCLASSA wc{};
    if (lstrcmpA(className, "WorkerW") == 0) {
        // Never register it here: the stand-in's frames need their own "WorkerW" class.
        EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), className, &wc))
            << "open a frame first";
    } else {
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        RegisterClassA(&wc); // a second registration in the same test just fails
    }
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
    HWND window = CreateWindowExA(0, className, "", style, 900, 600, 200, 150, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    return window;
}

} // namespace menu_test
