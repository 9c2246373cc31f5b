// The rebar notifies RBN_CHILDSIZE on every layout, the library's own changes
// included. With the real DLL's hooks on a frame of this thread: a burst of
// re-layouts made by the frame leads to one re-application and then quiet, and
// the library's own walks arm no re-apply timer at all.
#include <gtest/gtest.h>
#include <windows.h>

#include "control_test_util.h"
#include "library_under_test.h"
#include "pump.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;

namespace {

RecorderConfig settlingTraffic() {
    RecorderConfig config;
    config.recordOnly(WM_TIMER).recordOnly(WM_NOTIFY).recordOnly(TB_SETBUTTONWIDTH);
    return config;
}

class ReapplySettling : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library.load(&error)) << error;
        saved.take(library.shared);
        ASSERT_NE(f->worker, nullptr);
        for (HWND window : {f->frame, f->worker, f->mainToolbar})
            ASSERT_TRUE(recorder.attach(window));
        ASSERT_EQ(library.installHook(library.module, notify.window), 0);
        clearLeftoverSwitches(*library.shared);
        // Customisation on: every band shown but the logo.
        library.showHideAllMenu(0, 0);
        library.showHideAllHeader(0, 0);
        library.showHideAllDropdownArrow(0, 0);
        library.showHideAllLogo(1, 1);
        ASSERT_TRUE(logoHidden());
        tarvik::test::pumpFor(100);
        recorder.clear();
    }

    void TearDown() override {
        if (library.uninstallHook != nullptr) library.uninstallHook();
        saved.putBack();
    }

    int ticks() const {
        int count = 0;
        for (const MessageRecord& record : recordsFor(recorder.records(), f->frame))
            count += record.message == WM_TIMER && record.wParam == TIMER_REAPPLY;
        return count;
    }

    int childSizeNotifications() const {
        int count = 0;
        for (const MessageRecord& record : recordsFor(recorder.records(), f->worker))
            count += record.message == WM_NOTIFY &&
                     record.notifyCode == static_cast<UINT>(RBN_CHILDSIZE);
        return count;
    }

    // Every re-application ends in the drop-down walk, which re-lays out the toolbar.
    int reapplications() const {
        int count = 0;
        for (const MessageRecord& record : recordsFor(recorder.records(), f->mainToolbar))
            count += record.message == TB_SETBUTTONWIDTH && record.lParam == MAKELPARAM(0, 10);
        return count;
    }

    bool logoHidden() const {
        return hidden(bandWithId(standin::snapshotBands(f->rebar), standin::kLogoBandId));
    }

    int bandIndex(UINT id) const {
        return static_cast<int>(SendMessageA(f->rebar, RB_IDTOINDEX, id, 0));
    }

    void frameResizesABand(UINT height) {
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILDSIZE;
        band.cxMinChild = 100;
        band.cyMinChild = height;
        SendMessageA(f->rebar, RB_SETBANDINFOA, bandIndex(standin::kAddressBandId),
                     reinterpret_cast<LPARAM>(&band));
    }

    LibraryUnderTest library;
    SavedBlock saved;
    PlainWindow notify;
    Frame f{FrameClass::Explorer};
    MessageRecorder recorder{settlingTraffic()};
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
