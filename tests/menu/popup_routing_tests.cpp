// Command routing called directly: the menu-bar item toggles the band and arms
// the auto-hide timer; the controller's entries are posted to its window.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "core_menu_fixture.h"
#include "menu_band_state.h"
#include "menu_readback.h"

namespace menu_test {
namespace {

using Routing = CoreMenuTest;
using Ids = std::vector<WPARAM>;

// KillTimer succeeds only for a timer that exists, so it tells (and ends) the auto-hide.
bool autoHideWasArmed(HWND frame) {
    return KillTimer(frame, TIMER_MENU_AUTOHIDE) != FALSE;
}

TEST_F(Routing, ConfiguredEntryIsPostedToTheController) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    command(frame.worker, kCloseId);
    command(frame.worker, kOpenId);
    EXPECT_EQ(forwarded(), (Ids{kCloseId, kOpenId}));
    EXPECT_EQ(menuBandShown(frame.rebar), 1) << "an entry leaves the menu band alone";
}

TEST_F(Routing, AnIdListedTwiceIsPostedTwice) {
    const auto frame = openFrame();
    const int ids[] = {42, -1, 42, 43};
    const char* const texts[] = {"A", nullptr, "B", "C"};
    setPopupMenuItem("Dup", ids, texts, 4, "Bar");
    command(frame.worker, 42);
    EXPECT_EQ(forwarded(), (Ids{42, 42}));
}

TEST_F(Routing, IdsThatNoMenuCommandCanCarryAreNeverPosted) {
    const auto frame = openFrame();
    const int ids[] = {70000, -5, 0xFFFF, 77};
    const char* const texts[] = {"big", nullptr, "top", "plain"};
    setPopupMenuItem("Odd", ids, texts, 4, "Bar");
    // The menu posts the item id whole; routing compares its low 16 bits.
    command(frame.worker, 70000);
    command(frame.worker, 70000 & 0xFFFF);
    command(frame.worker, static_cast<WPARAM>(-5));
    command(frame.worker, static_cast<WPARAM>(-5) & 0xFFFF);
    command(frame.worker, 0xFFFF);
    command(frame.worker, 0x10000 | 77); // a notification code in the high word
    EXPECT_EQ(forwarded(), (Ids{0xFFFF, 77}));
}

TEST_F(Routing, CommandsToOtherWindowsAreNotPosted) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    HWND top = plainWindow(nullptr, "TarvikMenuTestTop");
    HWND workerOutsideFrames = plainWindow(top, "WorkerW");
    HWND topLevelWorker = plainWindow(nullptr, "WorkerW");
    HWND nearName = plainWindow(frame.frame, "WorkerW2");
    for (HWND owner : {frame.frame, frame.rebar, frame.mainToolbar, nearName, workerOutsideFrames,
                       topLevelWorker})
        command(owner, kOpenId);
    EXPECT_EQ(forwarded(), Ids{});
    command(frame.worker, kOpenId);
    EXPECT_EQ(forwarded(), Ids{kOpenId}) << "the frame's own \"WorkerW\" still routes";
}

TEST_F(Routing, ToggleItemShowsTheBandAndArmsTheAutoHide) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    showMenuBandByHand(frame.rebar, false);
    ASSERT_EQ(menuBandShown(frame.rebar), 0);

    command(frame.worker, CMD_TOGGLE_MENUBAR);
    EXPECT_EQ(menuBandShown(frame.rebar), 1);
    EXPECT_TRUE(autoHideWasArmed(frame.frame));

    command(frame.worker, CMD_TOGGLE_MENUBAR);
    EXPECT_EQ(menuBandShown(frame.rebar), 0);
    EXPECT_FALSE(autoHideWasArmed(frame.frame)) << "hiding leaves no timer";
    EXPECT_EQ(forwarded(), Ids{}) << "the toggle is the library's own command";
}

TEST_F(Routing, ToggleWorksWhateverTheHideSettingsAndForBrowsersToo) {
    standin::FrameOptions browser;
    browser.frameClass = standin::FrameClass::Browser;
    const auto frame = openFrame(browser);
    configureTools(&setPopupMenuItem);
    sharedState.hideMenu[0] = 0;
    sharedState.hideMenu[1] = 0;
    ASSERT_EQ(menuBandShown(frame.rebar), 1);
    command(frame.worker, CMD_TOGGLE_MENUBAR);
    EXPECT_EQ(menuBandShown(frame.rebar), 0);
    command(frame.worker, CMD_TOGGLE_MENUBAR);
    EXPECT_EQ(menuBandShown(frame.rebar), 1);
    EXPECT_TRUE(autoHideWasArmed(frame.frame));
}

TEST_F(Routing, AnEntryWithTheToggleIdTogglesAndIsNeverPosted) {
    const auto frame = openFrame();
    const int ids[] = {CMD_TOGGLE_MENUBAR, 5};
    const char* const texts[] = {"Also the bar", "Five"};
    setPopupMenuItem("Clash", ids, texts, 2, "Bar");
    command(frame.worker, CMD_TOGGLE_MENUBAR);
    EXPECT_EQ(menuBandShown(frame.rebar), 0);
    EXPECT_EQ(forwarded(), Ids{});
}

TEST_F(Routing, ToggleOnAFrameWithoutMenuBandStillArmsTheAutoHide) {
    standin::FrameOptions options;
    std::strcpy(options.bands, "TALG");
    const auto frame = openFrame(options);
    configureTools(&setPopupMenuItem);
    const auto before = standin::snapshotBands(frame.rebar);
    command(frame.worker, CMD_TOGGLE_MENUBAR);
    const auto after = standin::snapshotBands(frame.rebar);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].fStyle, before[i].fStyle) << "band " << after[i].wID;
    EXPECT_TRUE(autoHideWasArmed(frame.frame));
}

} // namespace
} // namespace menu_test
