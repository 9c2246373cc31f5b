// Which image lists a walk works on: Explorer's pair is captured once, in the
// process that walks, and serves every Explorer frame after; a browser pair is
// taken from the toolbar at every walk.
#include <gtest/gtest.h>

#include "TarvikToolBar.h"
#include "core_bench.h"
#include "icons/icon_tables.h"
#include "recorder.h"
#include "state/shared_state.h"

using namespace icontest;

namespace {

class ListCapture : public ::testing::Test {
  protected:
    void SetUp() override { setInstalledDefaults(); }
};

void setLists(HWND toolbar, HIMAGELIST normal, HIMAGELIST hot) {
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
}

} // namespace

TEST_F(ListCapture, ExplorerFramesShareThePairCapturedFromTheFirst) {
    Frame first(explorerOptions(24));
    Frame second(explorerOptions(24)); // lists of its own, unlike the shell's windows
    ControllerIcons icons(24, {0, 4}, {4});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);

    iconWalk(first->frame, kExplorerApply);
    iconWalk(second->frame, kExplorerApply);

    EXPECT_EQ(normalListOf(second->mainToolbar), first->normalList);
    EXPECT_EQ(hotListOf(second->mainToolbar), first->hotList);
    EXPECT_TRUE(listHolds(first->normalList, {24, mixedColours(12, false, {0, 4})}));
    EXPECT_TRUE(listHolds(first->hotList, {24, mixedColours(12, true, {4})}));
    // The second toolbar's own lists were never touched.
    EXPECT_TRUE(listHolds(second->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(second->hotList, {24, nativeColours(12, true)}));
}

TEST_F(ListCapture, BrowserPairIsTakenFromTheToolbarAtEveryWalk) {
    Frame frame(browserOptions(24));
    ControllerIcons icons(24, {1}, {2});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    iconWalk(frame->frame, kIEApply);
    ASSERT_TRUE(listHolds(frame->normalList, {24, mixedColours(12, false, {1})}));

    // The toolbar gets other lists (five natives) between the walks.
    const HIMAGELIST otherNormal = freshNativeList(24, 5, false);
    const HIMAGELIST otherHot = freshNativeList(24, 5, true);
    setLists(frame->mainToolbar, otherNormal, otherHot);
    ControllerIcons later(24, {3}, {3}, 1);
    setIcons_EXPIE(later.normal(), later.hot(), kSlots, 24);
    iconWalk(frame->frame, kIEApply);

    EXPECT_EQ(normalListOf(frame->mainToolbar), otherNormal);
    EXPECT_EQ(hotListOf(frame->mainToolbar), otherHot);
    EXPECT_EQ(sharedState.ieLargeList, otherNormal);
    // Null slots take the natives saved by the first walk (twelve of them).
    std::vector<COLORREF> normal = nativeColours(12, false);
    normal[3] = controllerColor(3, false, 1);
    EXPECT_TRUE(listHolds(otherNormal, {24, normal}));
    // The first lists keep what the first walk put in.
    EXPECT_TRUE(listHolds(frame->normalList, {24, mixedColours(12, false, {1})}));
    ImageList_Destroy(otherNormal);
    ImageList_Destroy(otherHot);
}

TEST_F(ListCapture, WalkWithoutAnActionCapturesAndChangesNothing) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(24, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(frame->mainToolbar));

    iconWalk(frame->frame, kIconExplorer);

    recorder.detachAll();
    EXPECT_EQ(sharedState.explorerLargeList, frame->normalList);
    EXPECT_EQ(sharedState.explorerLargeHotList, frame->hotList);
    EXPECT_EQ(sharedState.explorerLargeListsOwner, GetCurrentProcessId());
    EXPECT_TRUE(listHolds(frame->normalList, {24, nativeColours(12, false)}));
    for (const auto& record : recorder.records())
        EXPECT_TRUE(record.message == TB_GETIMAGELIST || record.message == TB_GETHOTIMAGELIST)
            << "message " << std::hex << record.message;
}

TEST_F(ListCapture, PairCapturedByAnotherProcessIsCapturedAgainHere) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(24, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    // Another process's handles: meaningless here, never to be touched.
    const auto foreign = reinterpret_cast<HIMAGELIST>(0x7ff0dead0000);
    sharedState.explorerLargeList = foreign;
    sharedState.explorerLargeHotList = foreign;
    sharedState.explorerLargeListsOwner = GetCurrentProcessId() + 4;

    iconWalk(frame->frame, kExplorerApply);

    EXPECT_EQ(normalListOf(frame->mainToolbar), frame->normalList);
    EXPECT_EQ(hotListOf(frame->mainToolbar), frame->hotList);
    EXPECT_EQ(sharedState.explorerLargeList, frame->normalList);
    EXPECT_EQ(sharedState.explorerLargeListsOwner, GetCurrentProcessId());
    EXPECT_TRUE(listHolds(frame->normalList, {24, mixedColours(12, false, {0})}));
}

TEST_F(ListCapture, RestoreAfterTheSlotsWereForgottenCapturesTheToolbarsNewLists) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(24, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    iconWalk(frame->frame, kExplorerApply);
    // A visual-style change: the slots are forgotten and the toolbar has new lists.
    clearExplorerListSlots();
    const HIMAGELIST themedNormal = freshNativeList(24, 3, false);
    const HIMAGELIST themedHot = freshNativeList(24, 3, true);
    setLists(frame->mainToolbar, themedNormal, themedHot);

    iconWalk(frame->frame, kExplorerRestore);

    EXPECT_EQ(sharedState.explorerLargeList, themedNormal);
    EXPECT_EQ(normalListOf(frame->mainToolbar), themedNormal);
    // Refilled from the icons saved before the change: twelve natives.
    EXPECT_TRUE(listHolds(themedNormal, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(themedHot, {24, nativeColours(12, true)}));
    ImageList_Destroy(themedNormal);
    ImageList_Destroy(themedHot);
}
