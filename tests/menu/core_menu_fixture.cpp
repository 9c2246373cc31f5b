// The context-menu unit-test fixture.
#include "core_menu_fixture.h"

#include <cstring>
#include "pump.h"

namespace menu_test {

void CoreMenuTest::SetUp() {
    // The loaded image's values, whatever an earlier case in this process left.
    std::memset(static_cast<void*>(&sharedState), 0, sizeof sharedState);
    sharedState.menuBandVisible = 1;
    notify_ = CreateWindowExA(0, "STATIC", "controller", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(notify_, nullptr);
    tarvik::test::RecorderConfig config;
    config.recordOnly(MSG_POPUP_COMMAND);
    recorder_.configure(config);
    ASSERT_TRUE(recorder_.attach(notify_));
    sharedState.notifyWindow = notify_;
}

// The windows stay for the end of the test's process: under Wine each visible
// top-level window costs two seconds to hide or destroy (the X11 driver waits).
void CoreMenuTest::TearDown() {
    recorder_.detachAll();
}

standin::FrameHandles CoreMenuTest::openFrame(const standin::FrameOptions& options) {
    standin::FrameHandles frame = standin::createFrame(options);
    EXPECT_NE(frame.frame, nullptr);
    return frame;
}

void CoreMenuTest::initMenuPopup(HWND owner, HMENU popup) {
    CWPSTRUCT sent{};
    sent.hwnd = owner;
    sent.message = WM_INITMENUPOPUP;
    sent.wParam = reinterpret_cast<WPARAM>(popup);
    sent.lParam = 0;
    extendToolbarMenu(sent);
}

void CoreMenuTest::command(HWND owner, WPARAM wParam) {
    MSG posted{};
    posted.hwnd = owner;
    posted.message = WM_COMMAND;
    posted.wParam = wParam;
    routeMenuCommand(posted);
}

std::vector<WPARAM> CoreMenuTest::forwarded() {
    tarvik::test::pumpPending();
    std::vector<WPARAM> ids;
    for (const auto& record : recorder_.recordsFor(notify_)) {
        EXPECT_EQ(record.lParam, 0);
        ids.push_back(record.wParam);
    }
    return ids;
}

} // namespace menu_test
