// restoreAllToolbar_EXPIE end to end through the real DLL: every frame, here and
// in a host, gets its native icons back; the taskbar's process refills Explorer's
// pair and releases the saved Explorer icons; every icon the library made is
// destroyed exactly once, and none of the controller's.
#include <gtest/gtest.h>

#include <memory>
#include "TarvikToolBar.h"
#include "dll_bench.h"
#include "pump.h"

using namespace icontest;

namespace {

class IconDllRestore : public DllBench {};

} // namespace

TEST_F(IconDllRestore, RestoreAllPutsNativesBackHereAndInTheHost) {
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    ASSERT_EQ(startHostLedger(host), "");
    auto hostFrame = host.createFrame(explorerOptions(24));
    ASSERT_TRUE(hostFrame) << hostFrame.error;
    auto taskbar = host.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    ASSERT_TRUE(isTheTaskbar(*taskbar));
    Frame browser(browserOptions(24));
    ControllerIcons here(24, {0, 1}, {0});
    HostIcons there(host, 24, {2, 3}, {3}, 1);
    ASSERT_TRUE(there.error.empty()) << there.error;

    // The icons of this process go to every frame; the host's frame then gets its own
    // (icon handles are per process under Wine).
    library.setIcons(here.normal(), here.hot(), kSlots, 24);
    library.changeAllToolbar();
    library.setIcons(there.normal.data(), there.hot.data(), kSlots, 24);
    ASSERT_TRUE(sendToFrame(hostFrame->frame, MSG_SET_ICONS, 1, TARVIK_KIND_EXPLORER));
    ASSERT_TRUE(listHolds(browser->normalList, {24, mixedColours(12, false, {0, 1})}));
    ASSERT_TRUE(listHolds(browser->hotList, {24, mixedColours(12, true, {0})}));
    ASSERT_TRUE(hostListHolds(host, hostFrame->mainToolbar, false,
                              {24, mixedColours(12, false, {2, 3}, 1)}));
    ASSERT_EQ(library.shared->savedLargeValid, 1);

    library.restoreAllToolbar();

    EXPECT_TRUE(listHolds(browser->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(browser->hotList, {24, nativeColours(12, true)}));
    EXPECT_TRUE(hostListHolds(host, hostFrame->mainToolbar, false, {24, nativeColours(12, false)}));
    EXPECT_TRUE(hostListHolds(host, hostFrame->mainToolbar, true, {24, nativeColours(12, true)}));
    EXPECT_EQ(library.shared->savedLargeValid, 0);
    EXPECT_EQ(library.shared->savedSmallValid, 0);
    EXPECT_EQ(library.shared->explorerIconsApplied, 0);
    EXPECT_EQ(library.shared->inactive, 1);
    EXPECT_EQ(library.shared->restoring, 0);

    // This process made and freed its browser icons; the host its Explorer icons.
    const tarvik::test::IconLedgerCounts mine = tarvik::test::iconLedgerCounts();
    EXPECT_EQ(mine.created, 24u);
    EXPECT_TRUE(ledgerBalanced(mine));
    auto theirs = hostLedger(host);
    ASSERT_TRUE(theirs) << theirs.error;
    EXPECT_EQ(theirs->created, 24u);
    EXPECT_TRUE(ledgerBalanced(*theirs));
    EXPECT_EQ(theirs->sameSizeResizes, 0u);
    EXPECT_TRUE(here.allAlive());
    for (HICON icon : there.all()) {
        auto described = host.describeIcon(icon);
        ASSERT_TRUE(described) << described.error;
        EXPECT_TRUE(described->valid) << "a controller icon was destroyed in the host";
    }
    library.uninstallHook();
    EXPECT_TRUE(host.stop());
}

// The taskbar's refill works on the pair of the class probed last, which may be a
// browser toolbar's: here a small browser frame is restored last, after the
// Explorer pairs were forgotten and the small Explorer frame has closed. Only the
// large Explorer pair is captured again, and the small refill must not run on the
// empty small slots.
TEST_F(IconDllRestore, SmallRefillNeverRunsOnAForgottenSmallPair) {
    Frame browser(browserOptions(16)); // made first: the broadcast meets it last
    auto small = std::make_unique<Frame>(explorerOptions(16));
    Frame large(explorerOptions(24));
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));
    ControllerIcons icons(24, {0}, {0});
    library.setIcons(icons.normal(), icons.hot(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 16);
    library.changeAllToolbar();
    ASSERT_EQ(library.shared->savedSmallValid, 1);
    SendMessageA(taskbar, WM_THEMECHANGED, 0, 0);
    small.reset();

    library.restoreAllToolbar();

    ASSERT_EQ(library.shared->iconSizeMode, 2) << "the browser frame was not restored last";
    EXPECT_EQ(library.shared->explorerSmallList, nullptr);
    EXPECT_EQ(library.shared->explorerLargeList, large->normalList);
    EXPECT_EQ(tarvik::test::iconLedgerCounts().nullListResizes, 0u);
    EXPECT_TRUE(ledgerBalanced(tarvik::test::iconLedgerCounts()));
    EXPECT_EQ(library.shared->savedSmallValid, 0);
    EXPECT_TRUE(listHolds(large->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(browser->normalList, {16, nativeColours(12, false)}));
    DestroyWindow(taskbar);
}

TEST_F(IconDllRestore, ClosingABrowserFrameKeepsTheSavedIconsOthersStillNeed) {
    auto closing = std::make_unique<Frame>(browserOptions(24));
    Frame staying(browserOptions(24));
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));
    ControllerIcons icons(24, {2}, {2});
    library.setIcons(icons.normal(), icons.hot(), kSlots, 24);
    library.changeAllToolbar();
    ASSERT_EQ(tarvik::test::iconLedgerCounts().created, 24u);
    ASSERT_EQ(tarvik::test::iconLedgerCounts().live, 24u);

    const HWND frame = (*closing)->frame;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tarvik::test::pumpUntil([frame] { return !IsWindow(frame); }, 5000));
    closing.reset();
    EXPECT_EQ(tarvik::test::iconLedgerCounts().live, 24u) << "the other frame still needs them";
    EXPECT_TRUE(listHolds(staying->normalList, {24, mixedColours(12, false, {2})}));

    library.restoreAllToolbar();
    EXPECT_TRUE(listHolds(staying->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(staying->hotList, {24, nativeColours(12, true)}));
    EXPECT_TRUE(ledgerBalanced(tarvik::test::iconLedgerCounts()));
    EXPECT_TRUE(icons.allAlive());
    DestroyWindow(taskbar);
}

TEST_F(IconDllRestore, ClosingTheLastBrowserFrameReleasesItsProcessSavedIcons) {
    auto closing = std::make_unique<Frame>(browserOptions(24));
    ControllerIcons icons(24, {2}, {2});
    library.setIcons(icons.normal(), icons.hot(), kSlots, 24);
    library.changeAllToolbar();
    ASSERT_EQ(tarvik::test::iconLedgerCounts().live, 24u);

    const HWND frame = (*closing)->frame;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tarvik::test::pumpUntil([frame] { return !IsWindow(frame); }, 5000));
    closing.reset();
    EXPECT_TRUE(ledgerBalanced(tarvik::test::iconLedgerCounts()));
    EXPECT_TRUE(icons.allAlive());
}
