// The image-list functions come from the module that registered the toolbar's
// window class. A frame here whose "ToolbarWindow32" class is this program's own
// (a module with no image-list functions) is left alone by the icon walks, while
// a stand-in frame in a host gets the controller's icons and back its own.
#include <gtest/gtest.h>

#include "dll_bench.h"
#include "private_messages.h"
#include "recorder.h"

using namespace icontest;

namespace {

class IconForeignToolbar : public DllBench {};

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of a class this program registers: class module and procedure are both ours.
HWND makeWindow(const char* className, DWORD style, HWND parent, INT_PTR id) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = plainProc;
    windowClass.hInstance = self;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, "", style, 40, 40, 400, 300, parent,
                           reinterpret_cast<HMENU>(id), self, nullptr);
}

} // namespace

TEST_F(IconForeignToolbar, IsLeftAloneWhileRealToolbarsChangeAndRestore) {
    const HWND frame = makeWindow("CabinetWClass", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0);
    const HWND toolbar = makeWindow(TOOLBARCLASSNAMEA, WS_CHILD | WS_VISIBLE, frame, 0xA000);
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(GetClassLongPtrA(toolbar, GCLP_HMODULE),
              reinterpret_cast<LONG_PTR>(GetModuleHandleA(nullptr)));
    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(frame));
    ASSERT_TRUE(recorder.attach(toolbar));
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    auto hostFrame = host.createFrame(explorerOptions(24));
    ASSERT_TRUE(hostFrame) << hostFrame.error;
    HostIcons icons(host, 24, 1);
    ASSERT_TRUE(icons.error.empty()) << icons.error;
    std::vector<COLORREF> controller;
    for (int slot = 0; slot < kSlots; ++slot)
        controller.push_back(controllerColor(slot, false, 1));
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);

    library.changeAllToolbar();
    EXPECT_TRUE(hostListHolds(host, hostFrame->mainToolbar, false, {24, controller}));
    library.restoreAllToolbar();
    EXPECT_TRUE(hostListHolds(host, hostFrame->mainToolbar, false, {24, nativeColours(12, false)}));

    int walks = 0;
    for (const auto& record : recorder.records()) {
        if (record.hwnd == frame && record.message == MSG_SET_ICONS) ++walks;
        // A DefWindowProc window: every toolbar message it gets came from the library.
        if (record.hwnd == toolbar) {
            EXPECT_FALSE(record.message >= WM_USER && record.message < WM_APP)
                << "toolbar message 0x" << std::hex << record.message;
        }
    }
    EXPECT_EQ(walks, 2) << "the frame here must have been walked by both broadcasts";
    EXPECT_TRUE(IsWindow(toolbar));
    DestroyWindow(frame);
}
