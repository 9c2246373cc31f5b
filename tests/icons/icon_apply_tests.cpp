// Applying the controller's icons with the icon walk: the toolbar's own lists are
// refilled at the configured size, each null slot shows that slot's native icon
// (normal and hot decided apart), native icons are read once, and the toolbar
// gets its lists back and is laid out again with its band refitted.
#include <gtest/gtest.h>

#include "TarvikToolBar.h"
#include "core_bench.h"
#include "recorder.h"
#include "sequence_assert.h"
#include "state/shared_state.h"

using namespace icontest;
using tarvik::test::msg;

namespace {

class IconApply : public ::testing::Test {
  protected:
    void SetUp() override { setInstalledDefaults(); }
};

int firstButtonHeight(HWND toolbar) {
    RECT first{};
    SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    return first.bottom - first.top;
}

HWND firstMainToolbarIn(HWND frame) {
    HWND found = nullptr;
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM param) CALLBACK -> BOOL {
            char name[32] = {};
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpA(name, TOOLBARCLASSNAMEA) != 0 ||
                GetWindowLongA(child, GWL_ID) != standin::kMainToolbarId)
                return TRUE;
            *reinterpret_cast<HWND*>(param) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

TEST_F(IconApply, LargeToolbarShowsTheControllersIconsAtTheConfiguredSize) {
    Frame frame(explorerOptions(24));
    // Slot 1 has a normal icon only, slot 2 a hot icon only; slots 4.. have none.
    ControllerIcons icons(32, {0, 1, 3}, {0, 2, 3});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 32);
    const HIMAGELIST list = frame->normalList;
    const HIMAGELIST hot = frame->hotList;

    iconWalk(frame->frame, kExplorerApply);

    EXPECT_EQ(normalListOf(frame->mainToolbar), list) << "the toolbar's own list is refilled";
    EXPECT_EQ(hotListOf(frame->mainToolbar), hot);
    EXPECT_TRUE(listHolds(list, {32, mixedColours(12, false, {0, 1, 3})}));
    EXPECT_TRUE(listHolds(hot, {32, mixedColours(12, true, {0, 2, 3})}));
    EXPECT_TRUE(icons.allAlive());
}

TEST_F(IconApply, SmallToolbarShowsTheSmallSetAtItsConfiguredSize) {
    Frame frame(browserOptions(16));
    ControllerIcons large(24, {0, 1, 2}, {0, 1, 2}, 1);
    ControllerIcons small(12, {1, 2}, {2, 5});
    setIcons_EXPIE(large.normal(), large.hot(), kSlots, 24);
    setSmallIcons_EXPIE(small.normal(), small.hot(), kSlots, 12);

    iconWalk(frame->frame, kIEApply);

    EXPECT_TRUE(listHolds(frame->normalList, {12, mixedColours(12, false, {1, 2})}));
    EXPECT_TRUE(listHolds(frame->hotList, {12, mixedColours(12, true, {2, 5})}));
}

TEST_F(IconApply, SmallSetCopiedFromTheLargeTablesShowsTheLargeIcons) {
    Frame frame(explorerOptions(16));
    ControllerIcons large(24, {0, 3}, {1});
    setIcons_EXPIE(large.normal(), large.hot(), kSlots, 24);
    setSmallIcons_EXPIE(nullptr, nullptr, kSlots, 16);

    iconWalk(frame->frame, kExplorerApply);

    EXPECT_TRUE(listHolds(frame->normalList, {16, mixedColours(12, false, {0, 3})}));
    EXPECT_TRUE(listHolds(frame->hotList, {16, mixedColours(12, true, {1})}));
}

TEST_F(IconApply, SecondApplyFallsBackOnTheIconsSavedByTheFirst) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(24, {0}, {1});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    iconWalk(frame->frame, kExplorerApply);
    ASSERT_TRUE(listHolds(frame->normalList, {24, mixedColours(12, false, {0})}));

    // The lists lose their images in between: a second read would find nothing.
    ImageList_Remove(frame->normalList, -1);
    ImageList_Remove(frame->hotList, -1);
    const HICON stranger = standin::createSolidIcon(24, RGB(250, 0, 250));
    ImageList_ReplaceIcon(frame->normalList, -1, stranger);
    ImageList_ReplaceIcon(frame->hotList, -1, stranger);
    ControllerIcons other(24, {2}, {2});
    setIcons_EXPIE(other.normal(), other.hot(), kSlots, 24);

    iconWalk(frame->frame, kExplorerApply);

    EXPECT_TRUE(listHolds(frame->normalList, {24, mixedColours(12, false, {2})}));
    EXPECT_TRUE(listHolds(frame->hotList, {24, mixedColours(12, true, {2})}));
    DestroyIcon(stranger);
}

TEST_F(IconApply, ToolbarGetsItsListsBackAndIsLaidOutAgain) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(40, {0, 1, 2, 3, 4, 5}, {});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 40);
    // A band whose sizes say nothing of the toolbar: the refit must rewrite them.
    const UINT index =
        static_cast<UINT>(SendMessageA(frame->rebar, RB_IDTOINDEX, standin::kToolbarBandId, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
    band.cxMinChild = 5;
    band.cyMinChild = 5;
    band.cxIdeal = 7;
    SendMessageA(frame->rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    const int heightBefore = firstButtonHeight(frame->mainToolbar);

    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(frame->mainToolbar));
    ASSERT_TRUE(recorder.attach(frame->rebar));
    iconWalk(frame->frame, kExplorerApply);
    recorder.detachAll();

    const HWND toolbar = frame->mainToolbar;
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        recorder.records(),
        {
            msg(TB_SETIMAGELIST)
                .on(toolbar)
                .wparam(0)
                .lparam(reinterpret_cast<LPARAM>(frame->normalList)),
            msg(TB_SETHOTIMAGELIST)
                .on(toolbar)
                .wparam(0)
                .lparam(reinterpret_cast<LPARAM>(frame->hotList)),
            msg(TB_SETBUTTONWIDTH).on(toolbar).lparam(MAKELPARAM(0, 10)),
            msg(TB_SETBUTTONWIDTH).on(toolbar).lparam(MAKELPARAM(0, 300)),
            msg(TB_GETIDEALSIZE).on(toolbar),
            msg(RB_SETBANDINFOA).on(frame->rebar).wparam(index),
        },
        tarvik::test::MatchMode::InOrder));

    // The buttons grew with the 40-pixel images, and the band follows them.
    const int heightAfter = firstButtonHeight(toolbar);
    EXPECT_GT(heightAfter, heightBefore);
    band.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
    SendMessageA(frame->rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    EXPECT_EQ(static_cast<int>(band.cyMinChild), heightAfter);
    const int buttons = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    RECT first{}, last{};
    SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(toolbar, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(static_cast<LONG>(band.cxMinChild), first.right);
    EXPECT_EQ(static_cast<LONG>(band.cxIdeal), last.right);
}

TEST_F(IconApply, OnlyTheFirstMainToolbarMetInTheFrameChanges) {
    standin::FrameOptions options = explorerOptions(24);
    options.secondMainToolbar = true;
    Frame frame(options);
    ControllerIcons icons(24, {0, 1}, {0, 1});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    // Which of the two the enumeration meets first is the window manager's order.
    const HWND first = firstMainToolbarIn(frame->frame);
    ASSERT_TRUE(first == frame->mainToolbar || first == frame->secondMainToolbar);
    const bool secondFirst = first == frame->secondMainToolbar;
    const HIMAGELIST changed = secondFirst ? frame->secondNormalList : frame->normalList;
    const HIMAGELIST changedHot = secondFirst ? frame->secondHotList : frame->hotList;
    const HIMAGELIST kept = secondFirst ? frame->normalList : frame->secondNormalList;
    const HIMAGELIST keptHot = secondFirst ? frame->hotList : frame->secondHotList;

    iconWalk(frame->frame, kExplorerApply);

    EXPECT_TRUE(listHolds(changed, {24, mixedColours(12, false, {0, 1})}));
    EXPECT_TRUE(listHolds(changedHot, {24, mixedColours(12, true, {0, 1})}));
    EXPECT_TRUE(listHolds(kept, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(keptHot, {24, nativeColours(12, true)}));
}
