// A frame of this thread under the real DLL's hooks, with the traffic that tells when
// the library re-applies its settings: re-apply ticks, the rebar's RBN_CHILDSIZE and
// the drop-down walk's reads of the main toolbar's buttons.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include "control_test_util.h"
#include "library_under_test.h"

namespace control_test {

class SettlingFixture : public ::testing::Test {
  protected:
    explicit SettlingFixture(const standin::FrameOptions& options) : f(options) {}

    // Loaded, hooks in, leftover switches cleared; the settings are the test's own.
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library.load(&error)) << error;
        saved.take(library.shared);
        ASSERT_NE(f->worker, nullptr);
        for (HWND window : {f->frame, f->worker, f->mainToolbar})
            ASSERT_TRUE(recorder.attach(window));
        ASSERT_EQ(library.installHook(library.module, notify.window), 0);
        clearLeftoverSwitches(*library.shared);
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

    // Every re-application ends in the drop-down walk, which reads each button once
    // (and re-lays out the toolbar only when something changed).
    int reapplications() const {
        int count = 0;
        for (const MessageRecord& record : recordsFor(recorder.records(), f->mainToolbar))
            count += record.message == TB_GETBUTTON && record.wParam == 0;
        return count;
    }

    bool logoHidden() const {
        return hidden(bandWithId(standin::snapshotBands(f->rebar), standin::kLogoBandId));
    }

    int bandIndex(UINT id) const {
        return static_cast<int>(SendMessageA(f->rebar, RB_IDTOINDEX, id, 0));
    }

    // What the frame does when a band's child asks for another height.
    void frameResizesABand(UINT height) {
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILDSIZE;
        band.cxMinChild = 100;
        band.cyMinChild = height;
        SendMessageA(f->rebar, RB_SETBANDINFOA, bandIndex(standin::kAddressBandId),
                     reinterpret_cast<LPARAM>(&band));
    }

    static tarvik::test::RecorderConfig settlingTraffic() {
        tarvik::test::RecorderConfig config;
        config.recordOnly(WM_TIMER).recordOnly(WM_NOTIFY).recordOnly(TB_GETBUTTON);
        return config;
    }

    LibraryUnderTest library;
    SavedBlock saved;
    PlainWindow notify;
    Frame f;
    tarvik::test::MessageRecorder recorder{settlingTraffic()};
};

} // namespace control_test
