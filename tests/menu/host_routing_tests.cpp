// Command routing across processes: the frame lives in a stand-in shell, the
// controller's window here. A WM_COMMAND posted to the frame's "WorkerW" goes
// through the message hook in the shell and comes back as MSG_POPUP_COMMAND.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "context_menu_run.h"
#include "cursor.h"
#include "dll_menu_fixture.h"
#include "foreground.h"
#include "menu_band_state.h"
#include "menu_readback.h"
#include "pump.h"

namespace menu_test {

using tarvik::test::putCursorOver;

namespace {

using HostRouting = DllMenuTest;
using Ids = std::vector<WPARAM>;

int hostMenuBand(standin::RemoteShell& host, HWND rebar) {
    auto bands = host.bands(rebar);
    EXPECT_TRUE(bands) << bands.error;
    return menuBandShown(*bands);
}

TEST_F(HostRouting, ChosenEntryReachesTheControllerWhileCustomisationIsOff) {
    const auto frame = openHostFrame();
    install();
    ASSERT_EQ(library_.shared->inactive, 1);
    configureToolsWithMarker(library_.setPopupMenuItem);
    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, kOpenId, 0));
    EXPECT_EQ(waitForwarded(1), Ids{kOpenId});
    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, kCloseId, 0));
    EXPECT_EQ(waitForwarded(2), (Ids{kOpenId, kCloseId}));
}

TEST_F(HostRouting, AnIdListedTwiceIsPostedTwice) {
    const auto frame = openHostFrame();
    install();
    const int ids[] = {kMarkerId, 42, -1, 42};
    const char* const texts[] = {"Marker", "A", nullptr, "B"};
    library_.setPopupMenuItem("Dup", ids, texts, 4, "Bar");
    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, 42, 0));
    EXPECT_EQ(settleHost(frame.worker), (Ids{42, 42, kMarkerId}));
}

TEST_F(HostRouting, IdsAbove65535AndNegativeIdsAreNeverForwarded) {
    const auto frame = openHostFrame();
    install();
    const int ids[] = {kMarkerId, 70000, -5};
    const char* const texts[] = {"Marker", "Big", nullptr};
    library_.setPopupMenuItem("Odd", ids, texts, 3, "Bar");
    for (WPARAM command : {WPARAM{70000}, WPARAM{70000 & 0xFFFF}, static_cast<WPARAM>(-5),
                           static_cast<WPARAM>(-5) & 0xFFFF})
        ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, command, 0));
    EXPECT_EQ(settleHost(frame.worker), Ids{kMarkerId});
}

TEST_F(HostRouting, CommandsToOtherWindowsOfTheFrameAreNotForwarded) {
    const auto frame = openHostFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    for (HWND other : {frame.frame, frame.rebar, frame.mainToolbar, frame.menuToolbar})
        ASSERT_TRUE(host_->post(other, WM_COMMAND, kOpenId, 0));
    EXPECT_EQ(settleHost(frame.worker), Ids{kMarkerId});
}

TEST_F(HostRouting, NothingIsForwardedWhileTheExtensionIsOff) {
    const auto frame = openHostFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    library_.setPopupMenuItem("Tools", nullptr, nullptr, 4, "Bar");
    ASSERT_EQ(library_.shared->popupEnabled, 0);
    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_COMMAND);
    ASSERT_TRUE(host_->startRecording({frame.worker}, config));
    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, kOpenId, 0));
    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, CMD_TOGGLE_MENUBAR, 0));
    // Once the "WorkerW" has had both, the hook has seen them.
    ASSERT_TRUE(tarvik::test::pumpUntil(
        [&] {
            auto records = host_->records();
            return records && records->size() == 2;
        },
        5000));
    EXPECT_EQ(forwarded(), Ids{});
    EXPECT_EQ(hostMenuBand(*host_, frame.rebar), 1) << "the toggle is off too";
}

TEST_F(HostRouting, ToggleIdTogglesTheBandAndTheAutoHideHidesItAgain) {
    const auto frame = openHostFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    // Another window in front, so that the auto-hide tick finds the frame in the background.
    HWND front = plainWindow(nullptr, "TarvikMenuTestFront");
    ASSERT_TRUE(tarvik::test::bringToForeground(front));
    ASSERT_EQ(hostMenuBand(*host_, frame.rebar), 1);
    tarvik::test::RecorderConfig ticks;
    ticks.recordOnly(WM_TIMER);
    ASSERT_TRUE(host_->startRecording({frame.frame}, ticks));

    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, CMD_TOGGLE_MENUBAR, 0));
    EXPECT_EQ(settleHost(frame.worker), Ids{kMarkerId}) << "the toggle is never forwarded";
    EXPECT_EQ(hostMenuBand(*host_, frame.rebar), 0);

    ASSERT_TRUE(host_->post(frame.worker, WM_COMMAND, CMD_TOGGLE_MENUBAR, 0));
    const ULONGLONG shown = GetTickCount64();
    settleHost(frame.worker);
    EXPECT_EQ(hostMenuBand(*host_, frame.rebar), 1);
    // X11 focus events of the shell's frame may still come in: keep the other window in front.
    ASSERT_TRUE(tarvik::test::pumpUntil(
        [&] {
            if (GetForegroundWindow() != front) SetForegroundWindow(front);
            return hostMenuBand(*host_, frame.rebar) == 0;
        },
        4500))
        << "the 2-second auto-hide never hid the band";
    EXPECT_GE(GetTickCount64() - shown, 1500u) << "hidden before its timer could have run";
    auto records = host_->records();
    ASSERT_TRUE(records) << records.error;
    ASSERT_FALSE(records->empty());
    EXPECT_EQ(records->front().wParam, static_cast<WPARAM>(TIMER_MENU_AUTOHIDE));
    EXPECT_EQ(forwarded(), (Ids{kMarkerId, kMarkerId}));
}

TEST_F(HostRouting, EntryChosenInTheShellsOwnContextMenuReachesTheController) {
    const auto frame = openHostFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    RECT content;
    GetWindowRect(frame.content, &content);
    // The shell's "WorkerW" opens its menu; the keys wait in its queue for the menu loop:
    // up to the submenu (last item), right to open it on "Open", down past the separator.
    ASSERT_TRUE(host_->post(frame.worker, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame.worker),
                            MAKELPARAM(content.left + 40, content.top + 40)));
    for (const MenuKey& key : {MenuKey{WM_KEYDOWN, VK_UP}, keyRight(), keyDown(), keyEnter()})
        ASSERT_TRUE(host_->post(frame.worker, key.message, key.code, 0));
    EXPECT_EQ(waitForwarded(1), Ids{kCloseId});
}

TEST_F(HostRouting, ToggleItemChosenInTheShellsOwnContextMenuShowsTheBand) {
    const auto frame = openHostFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    library_.showHideAllMenu(1, 0); // stores the setting and hides the band in the shell
    ASSERT_EQ(hostMenuBand(*host_, frame.rebar), 0);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    RECT content;
    GetWindowRect(frame.content, &content);
    ASSERT_TRUE(host_->post(frame.worker, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(frame.worker),
                            MAKELPARAM(content.left + 40, content.top + 40)));
    for (const MenuKey& key : {MenuKey{WM_KEYDOWN, VK_UP}, keyEnter()})
        ASSERT_TRUE(host_->post(frame.worker, key.message, key.code, 0));
    // The chosen command is posted as the menu loop ends, behind anything posted meanwhile.
    EXPECT_TRUE(
        tarvik::test::pumpUntil([&] { return hostMenuBand(*host_, frame.rebar) == 1; }, 5000));
    EXPECT_EQ(settleHost(frame.worker), Ids{kMarkerId});
}

} // namespace
} // namespace menu_test
