// A rebar that reports RBN_CHILDSIZE only after the change has returned (posted,
// then sent from its own thread), so the library's busy flag no longer covers the
// notifications of its own writes. With the real DLL's hooks on a frame of this
// thread: one band change leads to at most two re-applications, then quiet.
#include <gtest/gtest.h>
#include <windows.h>

#include "pump.h"
#include "settling_fixture.h"

using namespace control_test;
using standin::FrameClass;

namespace {

// Set-up waits are generous: a loaded machine may take long to deliver a tick.
constexpr DWORD kFirstTickWaitMs = 10000;
constexpr DWORD kQuietForMs = 2000;
// Far more than settling takes; a re-application loop runs into it.
constexpr DWORD kSettleLimitMs = 20000;

standin::FrameOptions lateFrame() {
    standin::FrameOptions options = frameOf(FrameClass::Explorer);
    options.lateChildSize = true;
    return options;
}

class LateChildSize : public SettlingFixture {
  protected:
    LateChildSize() : SettlingFixture(lateFrame()) {}

    void SetUp() override {
        SettlingFixture::SetUp();
        if (HasFatalFailure()) return;
        library.showHideAllMenu(0, 0);
        library.showHideAllHeader(0, 0);
        library.showHideAllDropdownArrow(1, 1);
        library.showHideAllLogo(1, 1);
    }

    // Pumps until no re-apply tick for kQuietForMs; false if that never happens.
    bool settles() {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kSettleLimitMs) {
            const int before = ticks();
            if (!tarvik::test::pumpUntil([&] { return ticks() > before; }, kQuietForMs))
                return true;
        }
        return false;
    }
};

TEST_F(LateChildSize, OneBandChangeLeadsToAtMostTwoReapplicationsThenQuiet) {
    ASSERT_TRUE(settles()) << "the library's own settings never came to rest";
    recorder.clear();

    // The frame resizes its address band and brings its logo back.
    frameResizesABand(30);
    SendMessageA(f->rebar, RB_SHOWBAND, bandIndex(standin::kLogoBandId), TRUE);
    ASSERT_EQ(childSizeNotifications(), 0) << "this rebar reports late";
    ASSERT_FALSE(logoHidden());

    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return ticks() > 0; }, kFirstTickWaitMs))
        << "no re-application after the late report";
    EXPECT_GT(childSizeNotifications(), 0);
    EXPECT_TRUE(settles()) << "re-applications went on: " << reapplications();
    EXPECT_GE(reapplications(), 1);
    EXPECT_LE(reapplications(), 2) << ticks() << " ticks";
    EXPECT_TRUE(logoHidden()) << "the setting was re-applied";
}

} // namespace
