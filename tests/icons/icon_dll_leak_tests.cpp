// Many apply/restore cycles through the real DLL leave no icon behind: counted at
// the library's own ImageList_GetIcon and DestroyIcon calls (its imports are
// patched), in this process and inside a host, since Wine's GetGuiResources
// answers 0.
#include <gtest/gtest.h>

#include "TarvikToolBar.h"
#include "dll_bench.h"
#include "lane.h"

using namespace icontest;

namespace {

// The ledger counts exactly, so a leak shows in the first cycle; the repeats catch
// what goes wrong only later (flags left set, handle values handed out again).
// Each cycle costs a few hundred image-list calls, hence not more (and a few under
// emulation, where the ledger still counts the first cycles exactly).
const int kCycles = tarvik::test::sweepCount(30, 3);

class IconLeak : public DllBench {};

} // namespace

TEST_F(IconLeak, ApplyRestoreCyclesHereDestroyEverySavedIconOnce) {
    Frame large(explorerOptions(24));
    Frame small(explorerOptions(16));
    Frame browser(browserOptions(24));
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));
    ControllerIcons icons(24, {0, 5}, {1, 5});
    library.setIcons(icons.normal(), icons.hot(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 16);

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        library.changeAllToolbar();
        // The count in the block may change between a save and its release.
        library.shared->iconCount = cycle % 3 == 1 ? 5 : kSlots;
        library.restoreAllToolbar();
        const tarvik::test::IconLedgerCounts counts = tarvik::test::iconLedgerCounts();
        // Per cycle: 12 normal and 12 hot natives of each of the three classes.
        ASSERT_EQ(counts.created, 72u * (cycle + 1)) << "cycle " << cycle;
        ASSERT_TRUE(ledgerBalanced(counts)) << "cycle " << cycle;
    }

    const tarvik::test::IconLedgerCounts counts = tarvik::test::iconLedgerCounts();
    EXPECT_EQ(counts.destroyedNull, 0u);
    EXPECT_EQ(counts.sameSizeResizes, 0u);
    EXPECT_TRUE(tarvik::test::iconsDestroyedOther().empty());
    EXPECT_TRUE(icons.allAlive());
    for (HICON icon : icons.all())
        for (HICON destroyed : tarvik::test::iconsDestroyed())
            ASSERT_NE(icon, destroyed) << "a controller icon went to DestroyIcon";
    EXPECT_TRUE(listHolds(large->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(small->hotList, {16, nativeColours(12, true)}));
    EXPECT_TRUE(listHolds(browser->normalList, {24, nativeColours(12, false)}));
    DestroyWindow(taskbar);
}

TEST_F(IconLeak, ApplyRestoreCyclesInAHostDestroyEverySavedIconOnce) {
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    ASSERT_EQ(startHostLedger(host), "");
    auto large = host.createFrame(explorerOptions(24));
    auto browser = host.createFrame(browserOptions(16));
    ASSERT_TRUE(large) << large.error;
    ASSERT_TRUE(browser) << browser.error;
    auto taskbar = host.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    ASSERT_TRUE(isTheTaskbar(*taskbar));
    HostIcons icons(host, 24, {0, 5}, {1, 5}, 1);
    ASSERT_TRUE(icons.error.empty()) << icons.error;
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 16);

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        library.changeAllToolbar();
        library.restoreAllToolbar();
    }

    auto counts = hostLedger(host);
    ASSERT_TRUE(counts) << counts.error;
    EXPECT_EQ(counts->created, 48u * kCycles);
    EXPECT_TRUE(ledgerBalanced(*counts));
    EXPECT_EQ(counts->sameSizeResizes, 0u);
    for (HICON icon : icons.all()) {
        auto described = host.describeIcon(icon);
        ASSERT_TRUE(described) << described.error;
        EXPECT_TRUE(described->valid) << "a controller icon was destroyed in the host";
    }
    EXPECT_TRUE(hostListHolds(host, large->mainToolbar, false, {24, nativeColours(12, false)}));
    EXPECT_TRUE(hostListHolds(host, browser->mainToolbar, true, {16, nativeColours(12, true)}));
    // Nothing of this in the test process: its ledger saw no icon made.
    EXPECT_EQ(tarvik::test::iconLedgerCounts().created, 0u);
    library.uninstallHook();
    EXPECT_TRUE(host.stop());
}
