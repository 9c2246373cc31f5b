// Restoring the native icons: the restore walk refills the toolbar's pair at the
// standard size and, in a browser frame, releases its process's saved icons; the
// MSG_RESTORE_ICONS handler refills Explorer's pair of the last probed size class
// (only a pair captured in this process) and releases both saved Explorer classes.
#include <gtest/gtest.h>

#include <vector>
#include "TarvikToolBar.h"
#include "core_bench.h"
#include "icons/icon_tables.h"
#include "icons/icon_walk.h"
#include "recorder.h"
#include "sequence_assert.h"
#include "state/process_state.h"
#include "state/shared_state.h"

using namespace icontest;
using tarvik::test::msg;

namespace {

class IconRestore : public ::testing::Test {
  protected:
    void SetUp() override { setInstalledDefaults(); }
};

bool isIcon(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return false;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return true;
}

// The live entries of a saved table pair.
std::vector<HICON> savedIcons(bool explorer, bool large) {
    const SavedTables saved = savedTables(explorer, large);
    std::vector<HICON> icons;
    for (int i = 0; i < kIconSlots; ++i)
        for (HICON icon : {saved.normal[i], saved.hot[i]})
            if (icon != nullptr) icons.push_back(icon);
    return icons;
}

int countAlive(const std::vector<HICON>& icons) {
    int alive = 0;
    for (HICON icon : icons)
        alive += isIcon(icon) ? 1 : 0;
    return alive;
}

} // namespace

TEST_F(IconRestore, NativesComeBackAtTheStandardSizeWhateverSizeWasApplied) {
    Frame large(explorerOptions(24));
    Frame small(browserOptions(16));
    ControllerIcons icons(32, {0, 1, 3}, {0, 2});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 32);
    setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 12);
    iconWalk(large->frame, kExplorerApply);
    iconWalk(small->frame, kIEApply);
    ASSERT_EQ(iconSizeOf(large->normalList).cx, 32);
    ASSERT_EQ(iconSizeOf(small->normalList).cx, 12);

    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(large->mainToolbar));
    iconWalk(large->frame, kExplorerRestore);
    iconWalk(small->frame, kIERestore);
    recorder.detachAll();

    EXPECT_TRUE(listHolds(large->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(large->hotList, {24, nativeColours(12, true)}));
    EXPECT_TRUE(listHolds(small->normalList, {16, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(small->hotList, {16, nativeColours(12, true)}));
    EXPECT_EQ(normalListOf(large->mainToolbar), large->normalList);
    EXPECT_EQ(hotListOf(small->mainToolbar), small->hotList);
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        recorder.records(),
        {msg(TB_SETIMAGELIST).lparam(reinterpret_cast<LPARAM>(large->normalList)),
         msg(TB_SETHOTIMAGELIST).lparam(reinterpret_cast<LPARAM>(large->hotList)),
         msg(TB_SETBUTTONWIDTH), msg(TB_SETBUTTONWIDTH), msg(TB_GETIDEALSIZE)},
        tarvik::test::MatchMode::InOrder));
    EXPECT_TRUE(icons.allAlive());
}

TEST_F(IconRestore, BrowserSavedIconsGoOnlyAfterTheLastFrameShowingTheControllersIsRestored) {
    Frame first(browserOptions(24));
    Frame second(browserOptions(24));
    Frame small(browserOptions(16));
    ControllerIcons icons(24, {0}, {1});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 16);
    iconWalk(first->frame, kIEApply);
    iconWalk(second->frame, kIEApply);
    iconWalk(small->frame, kIEApply);
    const std::vector<HICON> savedLarge = savedIcons(false, true);
    const std::vector<HICON> savedSmall = savedIcons(false, false);
    ASSERT_EQ(savedLarge.size(), 24u);
    ASSERT_EQ(savedSmall.size(), 24u);
    ASSERT_TRUE(listHolds(second->normalList, {24, mixedColours(12, false, {0})}));

    // The other two frames still need the saved natives back.
    iconWalk(first->frame, kIERestore);
    EXPECT_TRUE(listHolds(first->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(first->hotList, {24, nativeColours(12, true)}));
    EXPECT_EQ(countAlive(savedLarge), 24);
    EXPECT_TRUE(listHolds(second->normalList, {24, mixedColours(12, false, {0})}));

    iconWalk(second->frame, kIERestore);
    EXPECT_TRUE(listHolds(second->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(second->hotList, {24, nativeColours(12, true)}));
    EXPECT_EQ(countAlive(savedSmall), 24) << "the small frame still shows the controller's";

    iconWalk(small->frame, kIERestore);
    EXPECT_TRUE(listHolds(small->normalList, {16, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(small->hotList, {16, nativeColours(12, true)}));
    EXPECT_EQ(countAlive(savedLarge), 0);
    EXPECT_EQ(countAlive(savedSmall), 0) << "both classes go with the last frame";
    EXPECT_TRUE(icons.allAlive());

    // A later apply saves the natives afresh and gives them back again.
    iconWalk(second->frame, kIEApply);
    EXPECT_TRUE(listHolds(second->normalList, {24, mixedColours(12, false, {0})}));
    iconWalk(second->frame, kIERestore);
    EXPECT_TRUE(listHolds(second->normalList, {24, nativeColours(12, false)}));
    EXPECT_EQ(savedIcons(false, true).size(), 0u);
}

TEST_F(IconRestore, BrowserFramesThatAreGoneOrNeverGotIconsAreNotWaitedFor) {
    Frame staying(browserOptions(24));
    Frame untouched(browserOptions(24));
    ControllerIcons icons(24, {3}, {3});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    iconWalk(staying->frame, kIEApply);
    {
        Frame destroyed(browserOptions(24));
        iconWalk(destroyed->frame, kIEApply);
    }
    const std::vector<HICON> saved = savedIcons(false, true);
    ASSERT_EQ(saved.size(), 24u);

    // A restore walk over a frame that never showed the controller's icons frees nothing
    // while another frame does.
    iconWalk(untouched->frame, kIERestore);
    EXPECT_EQ(countAlive(saved), 24);
    EXPECT_TRUE(listHolds(untouched->normalList, {24, nativeColours(12, false)}));

    iconWalk(staying->frame, kIERestore);
    EXPECT_TRUE(listHolds(staying->normalList, {24, nativeColours(12, false)}));
    EXPECT_EQ(countAlive(saved), 0) << "the destroyed frame is not waited for";
    EXPECT_TRUE(icons.allAlive());
}

// A restore with nothing saved since the last release (a second restore in a row) has
// nothing to put back and leaves the lists as they are, native images and all.
TEST_F(IconRestore, RestoreWithNothingSavedLeavesTheListsAlone) {
    Frame explorer(explorerOptions(24));
    Frame browser(browserOptions(16));
    ControllerIcons icons(24, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 16);
    iconWalk(explorer->frame, kExplorerApply);
    iconWalk(browser->frame, kIEApply);
    for (int restore = 0; restore < 3; ++restore) {
        iconWalk(explorer->frame, kExplorerRestore);
        iconWalk(browser->frame, kIERestore);
        sendThroughHook(explorer->frame, MSG_RESTORE_ICONS);
    }
    for (bool hot : {false, true}) {
        EXPECT_TRUE(listHolds(hot ? explorer->hotList : explorer->normalList,
                              {24, nativeColours(12, hot)}));
        EXPECT_TRUE(
            listHolds(hot ? browser->hotList : browser->normalList, {16, nativeColours(12, hot)}));
    }
}

TEST_F(IconRestore, ExplorerRestoreWalkReleasesNothing) {
    Frame frame(explorerOptions(24));
    ControllerIcons icons(24, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    iconWalk(frame->frame, kExplorerApply);
    iconWalk(frame->frame, kExplorerRestore);
    EXPECT_EQ(countAlive(savedIcons(true, true)), 24);
    // So a second frame restored later still gets the natives.
    iconWalk(frame->frame, kExplorerApply);
    iconWalk(frame->frame, kExplorerRestore);
    EXPECT_TRUE(listHolds(frame->normalList, {24, nativeColours(12, false)}));
}

namespace {

// Explorer frames of both size classes with the controller's icons applied, the
// one named last probed last.
struct BothClasses {
    Frame large{explorerOptions(24)};
    Frame small{explorerOptions(16)};
    ControllerIcons icons{24, {0, 2}, {1}};
    std::vector<HICON> savedLarge, savedSmall;

    explicit BothClasses(bool largeLast) {
        setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
        setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 16);
        iconWalk((largeLast ? small : large)->frame, kExplorerApply);
        iconWalk((largeLast ? large : small)->frame, kExplorerApply);
        savedLarge = savedIcons(true, true);
        savedSmall = savedIcons(true, false);
    }
    ::testing::AssertionResult keepsControllerIcons(bool largeClass) const {
        const Frame& f = largeClass ? large : small;
        const int size = largeClass ? 24 : 16;
        ::testing::AssertionResult normal =
            listHolds(f->normalList, {size, mixedColours(12, false, {0, 2})});
        return normal ? listHolds(f->hotList, {size, mixedColours(12, true, {1})}) : normal;
    }
    ::testing::AssertionResult holdsNatives(bool largeClass) const {
        const Frame& f = largeClass ? large : small;
        const int size = largeClass ? 24 : 16;
        ::testing::AssertionResult normal =
            listHolds(f->normalList, {size, nativeColours(12, false)});
        return normal ? listHolds(f->hotList, {size, nativeColours(12, true)}) : normal;
    }
    bool released() const {
        return sharedState.savedLargeValid == 0 && sharedState.savedSmallValid == 0 &&
               countAlive(savedLarge) == 0 && countAlive(savedSmall) == 0;
    }
};

} // namespace

// Both classes' pairs, whatever was probed last: a pair whose frames are all gone would
// otherwise keep the controller's icons for the next frame to show.
TEST_F(IconRestore, RestoreIconsMessageRefillsBothPairsAfterASmallProbe) {
    BothClasses frames(false);
    ASSERT_EQ(sharedState.iconSizeMode, kSizeModeSmall);
    ASSERT_EQ(frames.savedLarge.size(), 24u);
    ASSERT_EQ(frames.savedSmall.size(), 24u);
    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(frames.large->mainToolbar));
    ASSERT_TRUE(recorder.attach(frames.small->mainToolbar));

    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);

    recorder.detachAll();
    EXPECT_TRUE(frames.holdsNatives(false));
    EXPECT_TRUE(frames.holdsNatives(true));
    EXPECT_TRUE(frames.released());
    EXPECT_TRUE(frames.icons.allAlive());
    EXPECT_EQ(recorder.count(), 0u) << "no list is set again, nothing is laid out";
}

TEST_F(IconRestore, RestoreIconsMessageRefillsBothPairsAfterALargeProbe) {
    BothClasses frames(true);
    ASSERT_EQ(sharedState.iconSizeMode, kSizeModeLarge);
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(true));
    EXPECT_TRUE(frames.holdsNatives(false));
    EXPECT_TRUE(frames.released());
}

TEST_F(IconRestore, RestoreIconsMessageBeforeAnyProbeRefillsToo) {
    BothClasses frames(true);
    sharedState.iconSizeMode = kSizeModeUnknown; // as if nothing had been probed
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(true));
    EXPECT_TRUE(frames.holdsNatives(false));
    EXPECT_TRUE(frames.released());
}

TEST_F(IconRestore, RestoreIconsMessageWhileInactiveDoesNothing) {
    BothClasses frames(true);
    sharedState.inactive = 1;
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.keepsControllerIcons(true));
    EXPECT_EQ(sharedState.savedLargeValid, 1);
    EXPECT_EQ(sharedState.savedSmallValid, 1);
    EXPECT_EQ(countAlive(frames.savedLarge), 24);
    EXPECT_EQ(countAlive(frames.savedSmall), 24);

    // The saved icons wait for a message that finds customisation on.
    sharedState.inactive = 0;
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(true));
    EXPECT_TRUE(frames.released());
}

// Whether a refill touches a null list shows in its calls, not in any list: the
// DLL suite counts those calls.
TEST_F(IconRestore, ForgottenSmallPairIsNotStoodInForByTheLargeOne) {
    BothClasses frames(true);
    // The pairs are forgotten (a visual-style change); only the large one is captured again.
    clearExplorerListSlots();
    iconWalk(frames.large->frame, kIconExplorer); // capture only
    ASSERT_EQ(sharedState.explorerLargeList, frames.large->normalList);
    ASSERT_EQ(sharedState.explorerSmallList, nullptr);
    probeIconSize(frames.small->mainToolbar);
    ASSERT_EQ(sharedState.iconSizeMode, kSizeModeSmall);

    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(true));
    EXPECT_TRUE(frames.keepsControllerIcons(false)) << "the large pair stood in for the small";
    EXPECT_TRUE(frames.released());
}

TEST_F(IconRestore, SmallRefillDoesNotDependOnTheLargePair) {
    BothClasses frames(false);
    sharedState.explorerLargeList = nullptr;
    sharedState.explorerLargeHotList = nullptr;
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(false));
    EXPECT_TRUE(frames.released());
}

// The shared slots are only copies: whatever another process writes there, the
// refill works on the pair and the icons this process captured and saved itself.
TEST_F(IconRestore, RefillIgnoresWhatTheSharedBlockSays) {
    BothClasses frames(false);
    const HIMAGELIST decoy = freshNativeList(16, 3, false);
    sharedState.explorerSmallList = decoy;
    sharedState.explorerSmallHotList = decoy;
    sharedState.explorerSmallListsOwner = GetCurrentProcessId();
    ControllerIcons others(16, {0, 1}, {0, 1}, 2);
    sharedState.savedSmallIcons[0] = others.normal()[0];
    sharedState.savedSmallHotIcons[1] = others.hot()[1];
    sharedState.savedSmallValid = 1;
    sendThroughHook(frames.large->frame, MSG_RESTORE_ICONS);
    EXPECT_TRUE(frames.holdsNatives(false));
    EXPECT_TRUE(listHolds(decoy, {16, nativeColours(3, false)})) << "the decoy was worked on";
    EXPECT_TRUE(frames.released());
    EXPECT_TRUE(others.allAlive()) << "icons this process never saved were destroyed";
    ImageList_Destroy(decoy);
}
