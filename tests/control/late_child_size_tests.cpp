// A rebar that reports RBN_CHILDSIZE only after the change has returned (posted,
// then sent from its own thread), so the library's busy flag no longer covers the
// notifications of its own writes. With the real DLL's hooks on a frame of this
// thread: one band change leads to at most two re-applications, then quiet.
#include <gtest/gtest.h>
#include <windows.h>

#include "control_test_util.h"
#include "library_under_test.h"
#include "pump.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;

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

RecorderConfig settlingTraffic() {
    RecorderConfig config;
    config.recordOnly(WM_TIMER).recordOnly(WM_NOTIFY).recordOnly(TB_SETBUTTONWIDTH);
    return config;
}

class LateChildSize : public ::testing::Test {
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
        library.showHideAllMenu(0, 0);
        library.showHideAllHeader(0, 0);
        library.showHideAllDropdownArrow(1, 1);
        library.showHideAllLogo(1, 1);
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

    bool logoHidden() const {
        return hidden(bandWithId(standin::snapshotBands(f->rebar), standin::kLogoBandId));
    }

    LibraryUnderTest library;
    SavedBlock saved;
    PlainWindow notify;
    Frame f{lateFrame()};
    MessageRecorder recorder{settlingTraffic()};
};

TEST_F(LateChildSize, OneBandChangeLeadsToAtMostTwoReapplicationsThenQuiet) {
    ASSERT_TRUE(settles()) << "the library's own settings never came to rest";
    recorder.clear();

    // The frame resizes its address band.
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE;
    band.cxMinChild = 100;
    band.cyMinChild = 30;
    const int index =
        static_cast<int>(SendMessageA(f->rebar, RB_IDTOINDEX, standin::kAddressBandId, 0));
    SendMessageA(f->rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    SendMessageA(f->rebar, RB_SHOWBAND,
                 SendMessageA(f->rebar, RB_IDTOINDEX, standin::kLogoBandId, 0), TRUE);
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
