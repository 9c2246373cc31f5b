// changeAllToolbar_EXPIE through the real DLL and its hooks: frames of this
// process get the controller's icons, and Explorer's captured pair never leaves
// the process that captured it, even with Explorer frames in two processes.
#include <gtest/gtest.h>

#include "dll_bench.h"
#include "pump.h"

using namespace icontest;

namespace {

class IconDll : public DllBench {};

} // namespace

TEST_F(IconDll, ChangeAllGivesTheFramesHereTheControllersIcons) {
    Frame explorer(explorerOptions(24));
    Frame browser(browserOptions(16));
    ControllerIcons large(32, {0, 2}, {1});
    ControllerIcons small(16, {3}, {3, 4}, 1);
    library.setIcons(large.normal(), large.hot(), kSlots, 32);
    library.setSmallIcons(small.normal(), small.hot(), kSlots, 16);

    library.changeAllToolbar();

    EXPECT_TRUE(listHolds(explorer->normalList, {32, mixedColours(12, false, {0, 2})}));
    EXPECT_TRUE(listHolds(explorer->hotList, {32, mixedColours(12, true, {1})}));
    EXPECT_TRUE(listHolds(browser->normalList, {16, mixedColours(12, false, {3}, 1)}));
    EXPECT_TRUE(listHolds(browser->hotList, {16, mixedColours(12, true, {3, 4}, 1)}));
    EXPECT_EQ(library.shared->explorerIconsApplied, 1);
    EXPECT_EQ(library.shared->explorerLargeListsOwner, GetCurrentProcessId());
    EXPECT_TRUE(large.allAlive());
    EXPECT_EQ(tarvik::test::iconLedgerCounts().sameSizeResizes, 0u)
        << "a resize to the same size empties the list under Wine";
}

// Wine keeps icon handles per process, so one table cannot hold icons both hosts
// can draw: each round stores the icons of one host, and that host's frame must
// show them while the other host's frame, walked in the same broadcast, keeps its
// own lists and lives. Without the owner check the second host to be walked would
// be handed the first host's list handles. The icons go in as both sets: a list
// left empty by the other host's round counts as small at the next probe.
TEST_F(IconDll, ExplorerPairCapturedInAnotherProcessIsNeverUsed) {
    standin::RemoteShell first, second;
    ASSERT_TRUE(first.start()) << first.lastError();
    ASSERT_TRUE(second.start()) << second.lastError();
    // A browser frame first in one host, so the two Explorer frames' list handles differ.
    ASSERT_TRUE(first.createFrame(browserOptions(24)));
    auto firstFrame = first.createFrame(explorerOptions(24));
    auto secondFrame = second.createFrame(explorerOptions(24));
    ASSERT_TRUE(firstFrame) << firstFrame.error;
    ASSERT_TRUE(secondFrame) << secondFrame.error;
    ASSERT_NE(firstFrame->normalList, secondFrame->normalList)
        << "equal handles in both hosts would hide a foreign pair";
    HostIcons firstIcons(first, 24, 1);
    HostIcons secondIcons(second, 24, 2);
    ASSERT_TRUE(firstIcons.error.empty()) << firstIcons.error;
    ASSERT_TRUE(secondIcons.error.empty()) << secondIcons.error;
    std::vector<COLORREF> firstNormal, firstHot, secondNormal;
    for (int slot = 0; slot < kSlots; ++slot) {
        firstNormal.push_back(controllerColor(slot, false, 1));
        firstHot.push_back(controllerColor(slot, true, 1));
        secondNormal.push_back(controllerColor(slot, false, 2));
    }
    const DWORD owners[2] = {first.processId(), second.processId()};

    library.setIcons(firstIcons.normal.data(), firstIcons.hot.data(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 24);
    library.changeAllToolbar();
    EXPECT_TRUE(hostListHolds(first, firstFrame->mainToolbar, false, {24, firstNormal}));
    EXPECT_TRUE(hostListHolds(first, firstFrame->mainToolbar, true, {24, firstHot}));
    auto secondList = second.imageList(secondFrame->mainToolbar, false);
    ASSERT_TRUE(secondList) << "second host: " << secondList.error;
    EXPECT_EQ(secondList->list, secondFrame->normalList);
    auto secondHotList = second.imageList(secondFrame->mainToolbar, true);
    ASSERT_TRUE(secondHotList) << secondHotList.error;
    EXPECT_EQ(secondHotList->list, secondFrame->hotList);
    const DWORD owner = library.shared->explorerLargeListsOwner;
    EXPECT_TRUE(owner == owners[0] || owner == owners[1]) << owner;

    library.setIcons(secondIcons.normal.data(), secondIcons.hot.data(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 24);
    library.changeAllToolbar();
    // Under Wine round one may have emptied this list (the first host's icons are foreign
    // here), and a list without an image 0 reads as small: the size follows that class.
    auto secondNow = second.imageList(secondFrame->mainToolbar, false);
    ASSERT_TRUE(secondNow) << secondNow.error;
    EXPECT_TRUE(secondNow->cx == 24 || secondNow->cx == 16) << secondNow->cx;
    EXPECT_TRUE(
        hostListHolds(second, secondFrame->mainToolbar, false, {secondNow->cx, secondNormal}));
    auto firstList = first.imageList(firstFrame->mainToolbar, false);
    ASSERT_TRUE(firstList) << "first host: " << firstList.error;
    EXPECT_EQ(firstList->list, firstFrame->normalList);

    ASSERT_TRUE(first.ping()) << "the first host died";
    ASSERT_TRUE(second.ping()) << "the second host died";
    library.uninstallHook();
    EXPECT_TRUE(first.stop());
    EXPECT_TRUE(second.stop());
}
