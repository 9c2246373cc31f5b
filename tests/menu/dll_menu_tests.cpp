// The real DLL with its hooks installed, on frames of the test's own thread:
// WM_INITMENUPOPUP reaches the extension through the call-window hook, a real
// menu loop shows the block and lets its entries be chosen, and the commands
// come back through the message hook.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>

#include "context_menu_run.h"
#include "cursor.h"
#include "dll_menu_fixture.h"
#include "menu_band_state.h"
#include "menu_readback.h"
#include "pump.h"

namespace menu_test {

using tarvik::test::putCursorOver;

namespace {

using HookedMenu = DllMenuTest;
using Ids = std::vector<WPARAM>;

// The popup after WM_INITMENUPOPUP sent to `owner` has passed the hooks.
std::string sendInitMenuPopup(HWND owner, bool firstChecked = true) {
    HMENU popup = makeToolbarMenu(firstChecked);
    SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    std::string after = describeMenu(popup);
    DestroyMenu(popup);
    return after;
}

std::string plainToolbarMenu(bool firstChecked = true) {
    HMENU popup = makeToolbarMenu(firstChecked);
    std::string before = describeMenu(popup);
    DestroyMenu(popup);
    return before;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A point over the frame's list view, where the menu opens away from the cursor.
POINT menuPosition(const standin::FrameHandles& frame) {
    RECT content;
    GetWindowRect(frame.content, &content);
    return {content.left + 40, content.top + 40};
}

TEST_F(HookedMenu, CallWindowHookExtendsTheMenuWhileCustomisationIsOff) {
    const auto frame = openFrame();
    install();
    ASSERT_EQ(library_.shared->inactive, 1) << "installation leaves customisation off";
    configureTools(library_.setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu() + " | " + toolsBlock());
}

TEST_F(HookedMenu, ToggleItemFollowsTheHideSettingAndTheBand) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    // The controller's own path: the setting is stored and the band hidden in every frame.
    library_.showHideAllMenu(1, 0);
    ASSERT_EQ(menuBandShown(frame.rebar), 0);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.worker),
              plainToolbarMenu() + " | " + toolsBlock() + " | " + toggleItem(false));

    // Shown the way a user shows it (by hand the library would hide it again at once).
    PostMessageA(frame.worker, WM_COMMAND, CMD_TOGGLE_MENUBAR, 0);
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return menuBandShown(frame.rebar) == 1; }, 2000));
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.worker),
              plainToolbarMenu() + " | " + toolsBlock() + " | " + toggleItem(true));

    library_.showHideAllMenu(0, 1); // Explorer no longer hides its band
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu() + " | " + toolsBlock());
}

TEST_F(HookedMenu, NothingIsAddedWhileTheExtensionIsOff) {
    const auto frame = openFrame();
    install();
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu()) << "never configured";

    configureTools(library_.setPopupMenuItem);
    library_.setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
    ASSERT_EQ(library_.shared->popupEnabled, 0);
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu()) << "switched off";

    configureTools(library_.setPopupMenuItem);
    library_.uninstallHook();
    installed_ = false;
    EXPECT_EQ(library_.shared->popupEnabled, 0) << "uninstalling switches the extension off";
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu()) << "uninstalled";
}

TEST_F(HookedMenu, FailedConditionsLeaveTheMenuAlone) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    EXPECT_EQ(sendInitMenuPopup(frame.frame), plainToolbarMenu()) << "owned by the frame";
    EXPECT_EQ(sendInitMenuPopup(frame.worker, false), plainToolbarMenu(false)) << "unchecked";
    HMENU empty = CreatePopupMenu();
    SendMessageA(frame.worker, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(empty), 0);
    EXPECT_EQ(GetMenuItemCount(empty), 0) << "empty popup";
    DestroyMenu(empty);
    ASSERT_TRUE(putCursorOver(frame.content));
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu()) << "over the list view";
}

TEST_F(HookedMenu, CaptionsWithoutTerminatorAreCutAt31Bytes) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    library_.shared->hideMenu[0] = 1;
    std::memset(library_.shared->popupTitle, 'T', kCaptionBytes);
    std::memset(library_.shared->popupItemTexts[2], 'C', kCaptionBytes);
    std::memset(library_.shared->menuBarItemText, 'M', kCaptionBytes);
    ASSERT_TRUE(putCursorOver(frame.rebar));
    const std::string t(31, 'T'), c(31, 'C'), m(31, 'M');
    EXPECT_EQ(sendInitMenuPopup(frame.worker), plainToolbarMenu() + " | --- | \"" + t +
                                                   "\"{\"Open\"=100 | --- | \"" + c + "\"=101} | " +
                                                   toggleItem(true, m.c_str()));
}

TEST_F(HookedMenu, RealContextMenuShowsTheBlockUntilEndMenuClosesIt) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    library_.shared->hideMenu[0] = 1;
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    const ContextMenuRun run = runContextMenu(frame.worker, menuPosition(frame), {}, 300);
    EXPECT_TRUE(run.endedByTimer);
    ASSERT_EQ(run.opened.size(), 1u);
    EXPECT_TRUE(startsWith(run.opened[0], "\"Standard Buttons\"=29184 [x]")) << run.opened[0];
    EXPECT_TRUE(endsWith(run.opened[0], " | " + toolsBlock() + " | " + toggleItem(true)))
        << run.opened[0];
    EXPECT_EQ(run.commands, Ids{});
    EXPECT_EQ(forwarded(), Ids{});
}

TEST_F(HookedMenu, SubmenuOpensWithItsEntriesAndIsNotExtendedItself) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    library_.shared->hideMenu[0] = 1;
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    // Up selects the last item (the toggle), up again the submenu, right opens it.
    auto keys = keysUp(2);
    keys.push_back(keyRight());
    keys.push_back(keyEscape());
    keys.push_back(keyEscape());
    const ContextMenuRun run = runContextMenu(frame.worker, menuPosition(frame), keys);
    EXPECT_FALSE(run.endedByTimer);
    ASSERT_EQ(run.opened.size(), 2u);
    EXPECT_EQ(run.opened[1], "\"Open\"=100 | --- | \"Close\"=101");
    EXPECT_EQ(run.commands, Ids{});
    EXPECT_EQ(forwarded(), Ids{});
}

TEST_F(HookedMenu, EntryChosenInTheMenuLoopReachesTheController) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    // Up: the submenu (last item); right: open it on "Open"; down: "Close"; enter.
    auto keys = keysUp(1);
    keys.push_back(keyRight());
    keys.push_back(keyDown());
    keys.push_back(keyEnter());
    const ContextMenuRun run = runContextMenu(frame.worker, menuPosition(frame), keys);
    EXPECT_FALSE(run.endedByTimer);
    EXPECT_EQ(run.commands, Ids{kCloseId}) << "the owner still gets its command";
    EXPECT_EQ(waitForwarded(1), Ids{kCloseId});
}

TEST_F(HookedMenu, ToggleItemChosenInTheMenuLoopShowsTheBandAndArmsTheAutoHide) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    library_.showHideAllMenu(1, 0);
    ASSERT_EQ(menuBandShown(frame.rebar), 0);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    auto keys = keysUp(1);
    keys.push_back(keyEnter());
    const ContextMenuRun run = runContextMenu(frame.worker, menuPosition(frame), keys);
    ASSERT_EQ(run.opened.size(), 1u);
    EXPECT_TRUE(endsWith(run.opened[0], toggleItem(false))) << run.opened[0];
    EXPECT_EQ(run.commands, Ids{CMD_TOGGLE_MENUBAR});
    EXPECT_EQ(menuBandShown(frame.rebar), 1);
    EXPECT_TRUE(KillTimer(frame.frame, TIMER_MENU_AUTOHIDE)) << "the auto-hide timer runs";
    EXPECT_EQ(forwarded(), Ids{});
}

TEST_F(HookedMenu, CommandsToWindowsOutsideFramesAreNotForwarded) {
    const auto frame = openFrame();
    install();
    configureToolsWithMarker(library_.setPopupMenuItem);
    HWND top = plainWindow(nullptr, "TarvikMenuTestTop");
    HWND workerOutsideFrames = plainWindow(top, "WorkerW");
    HWND topLevelWorker = plainWindow(nullptr, "WorkerW");
    for (HWND owner : {workerOutsideFrames, topLevelWorker, top, frame.frame, frame.rebar})
        PostMessageA(owner, WM_COMMAND, kOpenId, 0);
    PostMessageA(frame.worker, WM_COMMAND, kMarkerId, 0);
    EXPECT_EQ(waitForwarded(1), Ids{kMarkerId});
}

// A menu loop peeks every waiting message without removing it before it takes it, so
// a command waiting while a menu is open passes the message hook twice; it must be
// routed once (a second toggle would hide the band it just showed).
TEST_F(HookedMenu, CommandWaitingDuringAMenuLoopIsRoutedOnce) {
    const auto frame = openFrame();
    install();
    configureTools(library_.setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    const std::vector<MenuKey> waiting{{WM_COMMAND, kOpenId}, {WM_COMMAND, CMD_TOGGLE_MENUBAR}};
    const ContextMenuRun run = runContextMenu(frame.worker, menuPosition(frame), waiting, 300);
    EXPECT_EQ(run.commands, (Ids{kOpenId, CMD_TOGGLE_MENUBAR})) << "the owner's own copies";
    EXPECT_EQ(forwarded(), Ids{kOpenId});
    EXPECT_EQ(menuBandShown(frame.rebar), 0) << "one toggle hides the band";
}

} // namespace
} // namespace menu_test
