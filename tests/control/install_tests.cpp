// installHook_EXPIE and uninstallHook_EXPIE with the real DLL: the six hook
// handles, the defaults, what a re-installation keeps, a second installation
// replacing the first one's hooks, and the timers stopped at uninstallation.
#include <gtest/gtest.h>
#include <windows.h>
#include <array>
#include <cstring>

#include "control_test_util.h"
#include "library_under_test.h"
#include "loaded_library_test.h"
#include "pump.h"
#include "sequence_assert.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;

namespace {

// The six handles in installation order.
std::array<HHOOK, 6> hooksOf(const SharedState& shared) {
    return {shared.hookCallWndProc, shared.hookCallWndProcRet, shared.hookGetMessage,
            shared.hookMouse,       shared.hookKeyboard,       shared.hookKeyboardLL};
}

HICON fakeIcon(int i) {
    return reinterpret_cast<HICON>(static_cast<INT_PTR>(0x4000 + i));
}

bool menuBandHidden(const Frame& f) {
    return hidden(bandWithId(standin::snapshotBands(f->rebar), standin::kMenuBandId));
}

// The frame lays its rebar out anew by itself: a band's child changes height.
void frameChangesABand(const Frame& f, UINT height) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = 100;
    band.cyMinChild = height;
    const int index =
        static_cast<int>(SendMessageA(f->rebar, RB_IDTOINDEX, standin::kAddressBandId, 0));
    SendMessageA(f->rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
}

class Install : public LoadedLibraryTest {
  protected:
    // Settings a controller makes after installing.
    void configure() {
        HICON large[4], hot[4], small[3], smallHot[3];
        for (int i = 0; i < 4; ++i) {
            large[i] = fakeIcon(i);
            hot[i] = fakeIcon(10 + i);
        }
        for (int i = 0; i < 3; ++i) {
            small[i] = fakeIcon(20 + i);
            smallHot[i] = fakeIcon(30 + i);
        }
        library.setIcons(large, hot, 4, 32);
        library.setSmallIcons(small, smallHot, 3, 20);
        library.showHideAllLogo(1, 0);
        library.showHideAllMenu(0, 7);
        library.showHideAllHeader(-2, 1);
        library.showHideAllDropdownArrow(1, 1);
        const int ids[2] = {4100, -1};
        const char* texts[2] = {"Open here", nullptr};
        library.setPopupMenuItem("Tools", ids, texts, 2, "Menu bar");
    }

    PlainWindow notify;
};

TEST_F(Install, StoresSixHooksAndTheDefaults) {
    // Leftovers that installation must reset.
    for (auto& row : shared->dropdownTouched)
        for (int& touched : row)
            touched = 1;
    for (int i = 0; i < kIconSlots; ++i)
        shared->iconIndex[i] = kIconSlots - i;
    shared->iconCount = 3;
    shared->largeIconSize = 40;
    shared->smallIconSize = 41;
    shared->inactive = 0;
    shared->notifyWindow = reinterpret_cast<HWND>(0x1234);

    EXPECT_EQ(library.installHook(library.module, notify.window), 0);

    const std::array<HHOOK, 6> hooks = hooksOf(*shared);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(hooks[i], nullptr) << "hook " << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(hooks[i], hooks[j]) << "hooks " << j << " and " << i;
    }
    EXPECT_EQ(shared->notifyWindow, notify.window);
    for (int row = 0; row < kFrameKinds; ++row)
        for (int i = 0; i < kIconSlots; ++i)
            ASSERT_EQ(shared->dropdownTouched[row][i], 0) << "row " << row << " position " << i;
    for (int i = 0; i < kIconSlots; ++i)
        ASSERT_EQ(shared->iconIndex[i], i);
    EXPECT_EQ(shared->iconCount, 64);
    EXPECT_EQ(shared->largeIconSize, 24);
    EXPECT_EQ(shared->smallIconSize, 16);
    EXPECT_EQ(shared->inactive, 1);
}

TEST_F(Install, UninstallRemovesTheHooksAndSwitchesThePopupOff) {
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    configure();
    ASSERT_EQ(shared->popupEnabled, 1);
    ASSERT_EQ(shared->inactive, 0);

    EXPECT_EQ(library.uninstallHook(), 0);
    for (HHOOK hook : hooksOf(*shared))
        EXPECT_EQ(hook, nullptr);
    EXPECT_EQ(shared->popupEnabled, 0);
    EXPECT_EQ(shared->popupItemCount, 0);
    EXPECT_EQ(shared->inactive, 1);
    // Again, with nothing left to remove.
    EXPECT_EQ(library.uninstallHook(), 0);
    for (HHOOK hook : hooksOf(*shared))
        EXPECT_EQ(hook, nullptr);
}

TEST_F(Install, AnotherInstallationKeepsIconSetsHideFlagsAndThePopup) {
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    configure();
    const SharedState configured = *shared;

    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    EXPECT_EQ(std::memcmp(shared->largeIcons, configured.largeIcons, sizeof configured.largeIcons),
              0);
    EXPECT_EQ(
        std::memcmp(shared->largeHotIcons, configured.largeHotIcons, sizeof configured.largeIcons),
        0);
    EXPECT_EQ(std::memcmp(shared->smallIcons, configured.smallIcons, sizeof configured.smallIcons),
              0);
    EXPECT_EQ(std::memcmp(shared->smallHotIcons, configured.smallHotIcons,
                          sizeof configured.smallHotIcons),
              0);
    EXPECT_EQ(shared->largeIcons[3], fakeIcon(3));
    EXPECT_EQ(shared->hideLogo[0], 1);
    EXPECT_EQ(shared->hideLogo[1], 0);
    EXPECT_EQ(shared->hideMenu[1], 7);
    EXPECT_EQ(shared->hideHeader[0], -2);
    EXPECT_EQ(shared->hideDropdown[1], 1);
    EXPECT_EQ(shared->popupEnabled, 1);
    EXPECT_EQ(shared->popupItemCount, 2);
    EXPECT_STREQ(shared->popupTitle, "Tools");
    EXPECT_STREQ(shared->popupItemTexts[0], "Open here");
    EXPECT_EQ(shared->popupItemIds[1], -1);
    EXPECT_STREQ(shared->menuBarItemText, "Menu bar");
    EXPECT_EQ(shared->largeIconSize, 24) << "sizes are defaults that installation resets";
    EXPECT_EQ(shared->inactive, 1);

    // After an uninstallation the popup is off, everything else stays for the next one.
    ASSERT_EQ(library.uninstallHook(), 0);
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    EXPECT_EQ(std::memcmp(shared->largeIcons, configured.largeIcons, sizeof configured.largeIcons),
              0);
    EXPECT_EQ(std::memcmp(shared->hideLogo, configured.hideLogo, sizeof configured.hideLogo), 0);
    EXPECT_EQ(std::memcmp(shared->hideMenu, configured.hideMenu, sizeof configured.hideMenu), 0);
    EXPECT_EQ(std::memcmp(shared->hideHeader, configured.hideHeader, sizeof configured.hideHeader),
              0);
    EXPECT_EQ(
        std::memcmp(shared->hideDropdown, configured.hideDropdown, sizeof configured.hideDropdown),
        0);
    EXPECT_STREQ(shared->popupTitle, "Tools");
    EXPECT_EQ(shared->popupEnabled, 0);
    EXPECT_EQ(shared->popupItemCount, 0);
}

// Were the first installation's hooks still in, every private message would be
// handled twice: the rebar would be told to show or hide the menu band twice.
TEST_F(Install, ASecondInstallationLeavesNoEarlierHookRunning) {
    Frame f(FrameClass::Explorer);
    RecorderConfig config;
    config.recordOnly(RB_SHOWBAND);
    MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(f->rebar));
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    library.showHideAllMenu(0, 0);
    ASSERT_FALSE(menuBandHidden(f));
    const WPARAM menuIndex = SendMessageA(f->rebar, RB_IDTOINDEX, standin::kMenuBandId, 0);

    for (BOOL show : {FALSE, TRUE}) {
        recorder.clear();
        SendMessageA(f->frame, MSG_TOGGLE_MENUBAR, 0, 0);
        EXPECT_TRUE(tarvik::test::sequenceMatches(
            recorder.records(),
            {tarvik::test::msg(RB_SHOWBAND).on(f->rebar).wparam(menuIndex).lparam(show)}))
            << "handled once";
        EXPECT_EQ(menuBandHidden(f), !show);
    }

    // And after uninstallation no hook of either installation is left.
    ASSERT_EQ(library.uninstallHook(), 0);
    recorder.clear();
    SendMessageA(f->frame, MSG_TOGGLE_MENUBAR, 0, 0);
    EXPECT_TRUE(recorder.records().empty());
    EXPECT_FALSE(menuBandHidden(f));
}

TEST_F(Install, UninstallationStopsAPendingReapplyTimer) {
    Frame f(FrameClass::Explorer);
    RecorderConfig config;
    config.recordOnly(WM_TIMER);
    MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(f->frame));
    auto ticks = [&] {
        int count = 0;
        for (const MessageRecord& record : recorder.records())
            count += record.wParam == TIMER_REAPPLY;
        return count;
    };
    ASSERT_EQ(library.installHook(library.module, notify.window), 0);
    clearLeftoverSwitches(*shared);
    library.showHideAllLogo(0, 0);

    // The frame's own re-layout arms the timer, and it fires.
    frameChangesABand(f, 30);
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return ticks() == 1; }, kTickWaitMs));
    tarvik::test::pumpFor(100);

    // Armed again, then the hooks go before it can fire.
    frameChangesABand(f, 24);
    ASSERT_EQ(library.uninstallHook(), 0);
    tarvik::test::pumpFor(kQuietMs);
    EXPECT_EQ(ticks(), 1);
}

} // namespace
