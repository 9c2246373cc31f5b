// The size class of a toolbar: image 0 of its normal list decides (16 pixels or
// less is small). It decides which set, size, pair and saved tables a walk uses,
// so a configured size is only used within the class that it keeps.
#include <gtest/gtest.h>

#include "TarvikToolBar.h"
#include "core_bench.h"
#include "icons/icon_walk.h"
#include "state/process_state.h"
#include "state/shared_state.h"

using namespace icontest;

namespace {

class SizeClass : public ::testing::Test {
  protected:
    void SetUp() override { setInstalledDefaults(); }
};

} // namespace

TEST_F(SizeClass, SixteenPixelsIsSmallAndSeventeenIsLarge) {
    Frame sixteen(explorerOptions(16));
    Frame seventeen(browserOptions(17));
    EXPECT_EQ(probeIconSize(sixteen->mainToolbar), 0);
    EXPECT_EQ(sharedState.iconSizeMode, kSizeModeSmall);
    EXPECT_EQ(probeIconSize(seventeen->mainToolbar), 1);
    EXPECT_EQ(sharedState.iconSizeMode, kSizeModeLarge);

    // And the walks act on it: the large set at the large size on 17, the small at 16.
    ControllerIcons large(24, {0}, {0}, 1);
    ControllerIcons small(16, {1}, {1}, 2);
    setIcons_EXPIE(large.normal(), large.hot(), kSlots, 20);
    setSmallIcons_EXPIE(small.normal(), small.hot(), kSlots, 14);
    iconWalk(seventeen->frame, kIEApply);
    iconWalk(sixteen->frame, kExplorerApply);
    // Natives are read at the standard 24 pixels: resizing the 17-pixel list there
    // empties it, so only the controller's icon goes back in.
    EXPECT_TRUE(listHolds(seventeen->normalList, {20, {controllerColor(0, false, 1)}}));
    EXPECT_TRUE(listHolds(seventeen->hotList, {20, {controllerColor(0, true, 1)}}));
    std::vector<COLORREF> sixteenHot = nativeColours(12, true);
    sixteenHot[1] = controllerColor(1, true, 2);
    EXPECT_TRUE(listHolds(sixteen->hotList, {14, sixteenHot}));
}

TEST_F(SizeClass, ToolbarWithoutImagesCountsAsSmall) {
    standin::FrameOptions noLists = explorerOptions(24);
    noLists.normalImages = false;
    noLists.hotImages = false;
    Frame bare(noLists);
    standin::FrameOptions hotOnlyOptions = browserOptions(24);
    hotOnlyOptions.normalImages = false;
    Frame hotOnly(hotOnlyOptions);
    Frame empty(browserOptions(24, 0)); // 24-pixel lists without an image 0
    ControllerIcons small(16, {0, 1}, {0, 1});
    setSmallIcons_EXPIE(small.normal(), small.hot(), kSlots, 12);

    sharedState.iconSizeMode = kSizeModeLarge;
    EXPECT_EQ(probeIconSize(bare->mainToolbar), 0);
    EXPECT_EQ(sharedState.iconSizeMode, kSizeModeSmall);
    sharedState.iconSizeMode = kSizeModeLarge;
    EXPECT_EQ(probeIconSize(empty->mainToolbar), 0);
    EXPECT_EQ(sharedState.iconSizeMode, kSizeModeSmall);

    // Applying goes through without lists; a toolbar without both is left alone (its
    // natives, saved for the process, would be wrong for the others); with empty lists the
    // small set goes in.
    iconWalk(bare->frame, kExplorerApply);
    EXPECT_EQ(normalListOf(bare->mainToolbar), nullptr);
    EXPECT_EQ(hotListOf(bare->mainToolbar), nullptr);
    iconWalk(hotOnly->frame, kIEApply);
    EXPECT_EQ(normalListOf(hotOnly->mainToolbar), nullptr);
    EXPECT_TRUE(listHolds(hotOnly->hotList, {24, nativeColours(12, true)}));
    EXPECT_EQ(processState.ieSavedSmallValid, 0) << "nothing saved from it";
    iconWalk(empty->frame, kIEApply);
    EXPECT_TRUE(
        listHolds(empty->normalList, {12, {controllerColor(0, false), controllerColor(1, false)}}));
    EXPECT_TRUE(
        listHolds(empty->hotList, {12, {controllerColor(0, true), controllerColor(1, true)}}));
    EXPECT_EQ(sharedState.ieSmallList, empty->normalList);
}

TEST_F(SizeClass, LargeSetAtSixteenIsAppliedAtTheStandardSizeAndStaysLarge) {
    // A small Explorer frame applied first: Explorer's small pair and saved small icons.
    Frame small(explorerOptions(16, 5));
    Frame large(explorerOptions(24, 12));
    ControllerIcons icons(16, {0}, {0});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 16);
    setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 16);
    iconWalk(small->frame, kExplorerApply);

    // 16 pixels would make the toolbar read as small: the large standard size is used.
    iconWalk(large->frame, kExplorerApply);
    EXPECT_TRUE(listHolds(large->normalList, {24, mixedColours(12, false, {0})}));
    EXPECT_EQ(probeIconSize(large->mainToolbar), 1);

    // Its restore takes its own lists and the large natives; the small frame is left as it is.
    iconWalk(large->frame, kExplorerRestore);
    EXPECT_EQ(normalListOf(large->mainToolbar), large->normalList);
    EXPECT_TRUE(listHolds(large->normalList, {24, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(large->hotList, {24, nativeColours(12, true)}));
    EXPECT_TRUE(listHolds(small->normalList, {16, mixedColours(5, false, {0})}));
}

TEST_F(SizeClass, SmallSetAboveSixteenIsAppliedAtTheStandardSizeAndStaysSmall) {
    // A large browser frame applied first: this process's saved large natives (7).
    Frame large(browserOptions(24, 7));
    Frame small(browserOptions(16, 12));
    ControllerIcons icons(20, {2}, {3});
    setIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 24);
    setSmallIcons_EXPIE(icons.normal(), icons.hot(), kSlots, 20);
    iconWalk(large->frame, kIEApply);

    // 20 pixels would make the toolbar read as large: the small standard size is used.
    iconWalk(small->frame, kIEApply);
    EXPECT_TRUE(listHolds(small->normalList, {16, mixedColours(12, false, {2})}));
    EXPECT_EQ(probeIconSize(small->mainToolbar), 0);

    // Restored as the small toolbar it is: its own lists, its twelve natives, 16 pixels.
    iconWalk(small->frame, kIERestore);
    EXPECT_EQ(normalListOf(small->mainToolbar), small->normalList);
    EXPECT_TRUE(listHolds(small->normalList, {16, nativeColours(12, false)}));
    EXPECT_TRUE(listHolds(small->hotList, {16, nativeColours(12, true)}));
}
