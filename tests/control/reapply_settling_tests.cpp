// The rebar notifies RBN_CHILDSIZE on every layout, the library's own changes
// included. With the real DLL's hooks on a frame of this thread: a burst of
// re-layouts made by the frame leads to one re-application and then quiet, and
// the library's own walks arm no re-apply timer at all.
#include <gtest/gtest.h>
#include <windows.h>

#include "pump.h"
#include "settling_fixture.h"

using namespace control_test;
using standin::FrameClass;

namespace {

class ReapplySettling : public SettlingFixture {
  protected:
    ReapplySettling() : SettlingFixture(frameOf(FrameClass::Explorer)) {}

    void SetUp() override {
        SettlingFixture::SetUp();
        if (HasFatalFailure()) return;
        // Customisation on: every band shown but the logo.
        library.showHideAllMenu(0, 0);
        library.showHideAllHeader(0, 0);
        library.showHideAllDropdownArrow(0, 0);
        library.showHideAllLogo(1, 1);
        ASSERT_TRUE(logoHidden());
        tarvik::test::pumpFor(100);
        recorder.clear();
    }
};

TEST_F(ReapplySettling, ABurstOfTheFramesOwnLayoutsLeadsToOneReapplicationThenQuiet) {
    // The frame brings its logo back and resizes a band twice, with no message taken between.
    SendMessageA(f->rebar, RB_SHOWBAND, bandIndex(standin::kLogoBandId), TRUE);
    frameResizesABand(30);
    frameResizesABand(26);
    ASSERT_FALSE(logoHidden());
    ASSERT_GE(childSizeNotifications(), 2) << "the rebar must have notified its frame";
    ASSERT_EQ(ticks(), 0);

    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return ticks() > 0; }, kTickWaitMs))
        << "no re-application after the frame's re-layout";
    tarvik::test::pumpFor(kQuietMs);

    EXPECT_EQ(ticks(), 1) << "the re-application re-armed its own timer";
    EXPECT_EQ(reapplications(), 1);
    EXPECT_TRUE(logoHidden()) << "the setting was re-applied";
}

TEST_F(ReapplySettling, TheLibrarysOwnWalksArmNoTimer) {
    const std::vector<BYTE> before = stylesOf(f->mainToolbar);
    ASSERT_EQ(before[0] & BTNS_DROPDOWN, BTNS_DROPDOWN);
    library.showHideAllDropdownArrow(1, 1);
    ASSERT_EQ(stylesOf(f->mainToolbar)[0] & BTNS_DROPDOWN, 0) << "the arrows went";
    const int afterArrows = childSizeNotifications();
    EXPECT_GT(afterArrows, 0) << "the band refit made the rebar notify";

    library.showHideAllLogo(0, 0);
    ASSERT_FALSE(logoHidden());
    library.showHideAllMenu(1, 1);
    library.showHideAllHeader(1, 1);
    library.changeAllToolbar();
    EXPECT_GT(childSizeNotifications(), afterArrows);

    tarvik::test::pumpFor(kQuietMs);
    EXPECT_EQ(ticks(), 0);
}

} // namespace
