// A rebar that reports RBN_CHILDSIZE only after the change has returned (posted,
// then sent from its own thread), so the library's busy flag no longer covers the
// notifications of its own writes. With the real DLL's hooks on a frame of this
// thread: a re-application that finds its settings in force writes nothing, so the
// frame's change leads to one re-application, and to a second only when the first
// had to write (and the rebar reported that late too), then quiet.
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

TEST_F(LateChildSize, ABandChangeLeadsToOneReapplicationAndAnUndoneSettingToTwoThenQuiet) {
    ASSERT_TRUE(settles()) << "the library's own settings never came to rest";
    for (bool logoBack : {false, true}) {
        SCOPED_TRACE(logoBack ? "the frame also brings its logo back" : "a band resize alone");
        recorder.clear();
        frameResizesABand(logoBack ? 30 : 26);
        if (logoBack) SendMessageA(f->rebar, RB_SHOWBAND, bandIndex(standin::kLogoBandId), TRUE);
        ASSERT_EQ(childSizeNotifications(), 0) << "this rebar reports late";
        ASSERT_EQ(logoHidden(), !logoBack);

        ASSERT_TRUE(tarvik::test::pumpUntil([&] { return ticks() > 0; }, kFirstTickWaitMs))
            << "no re-application after the late report";
        EXPECT_GT(childSizeNotifications(), 0);
        EXPECT_TRUE(settles()) << "re-applications went on: " << reapplications();
        // The logo's RB_SHOWBAND is reported late as well: one more, which writes nothing.
        EXPECT_EQ(reapplications(), logoBack ? 2 : 1) << ticks() << " ticks";
        EXPECT_TRUE(logoHidden()) << "the setting was re-applied";
    }
}

} // namespace
