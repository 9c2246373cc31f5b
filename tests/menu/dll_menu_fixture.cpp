// The real-DLL fixture of the context-menu tests.
#include "dll_menu_fixture.h"

#include <cstring>
#include "menu_readback.h"
#include "pump.h"

namespace menu_test {

void DllMenuTest::SetUp() {
    std::string error;
    ASSERT_TRUE(library_.load(&error)) << error;
    // Wine's own desktop processes keep the library mapped once hooks have been in
    // them, so the block outlives earlier test processes: start from the loaded image.
    std::memset(static_cast<void*>(library_.shared), 0, sizeof(SharedState));
    library_.shared->menuBandVisible = 1;
    notify_ = CreateWindowExA(0, "STATIC", "controller", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(notify_, nullptr);
    tarvik::test::RecorderConfig config;
    config.recordOnly(MSG_POPUP_COMMAND);
    recorder_.configure(config);
    ASSERT_TRUE(recorder_.attach(notify_));
}

// Windows of this process stay for the process's end: under Wine each visible
// top-level window costs two seconds to hide or destroy (the X11 driver waits).
void DllMenuTest::TearDown() {
    if (installed_) library_.uninstallHook();
    if (host_) host_->stop();
    recorder_.detachAll();
}

void DllMenuTest::install() {
    library_.installHook(library_.module, notify_);
    installed_ = true;
    ASSERT_NE(library_.shared->hookCallWndProc, nullptr);
    ASSERT_NE(library_.shared->hookGetMessage, nullptr);
}

standin::FrameHandles DllMenuTest::openFrame(const standin::FrameOptions& options) {
    standin::FrameHandles frame = standin::createFrame(options);
    EXPECT_NE(frame.frame, nullptr);
    return frame;
}

standin::FrameHandles DllMenuTest::openHostFrame(const standin::FrameOptions& options) {
    if (!host_) {
        host_ = std::make_unique<standin::RemoteShell>();
        EXPECT_TRUE(host_->start()) << host_->lastError();
    }
    auto frame = host_->createFrame(options);
    EXPECT_TRUE(frame) << frame.error;
    return *frame;
}

std::vector<WPARAM> DllMenuTest::forwarded() {
    tarvik::test::pumpPending();
    std::vector<WPARAM> ids;
    for (const auto& record : recorder_.recordsFor(notify_)) {
        EXPECT_EQ(record.lParam, 0);
        ids.push_back(record.wParam);
    }
    return ids;
}

std::vector<WPARAM> DllMenuTest::waitForwarded(std::size_t count, DWORD timeoutMs) {
    tarvik::test::pumpUntil([&] { return recorder_.recordsFor(notify_).size() >= count; },
                            timeoutMs);
    return forwarded();
}

std::vector<WPARAM> DllMenuTest::settleHost(HWND worker) {
    const std::size_t before = recorder_.recordsFor(notify_).size();
    EXPECT_TRUE(host_->post(worker, WM_COMMAND, kMarkerId, 0));
    tarvik::test::pumpUntil(
        [&] {
            const auto records = recorder_.recordsFor(notify_);
            return records.size() > before && records.back().wParam == kMarkerId;
        },
        5000);
    return forwarded();
}

void configureToolsWithMarker(TarvikSetPopupFn setPopup) {
    const int ids[] = {kOpenId, -1, kCloseId, kMarkerId};
    const char* const texts[] = {"Open", nullptr, "Close", "Marker"};
    setPopup(kToolsTitle, ids, texts, 4, kMenuBarText);
}

} // namespace menu_test
