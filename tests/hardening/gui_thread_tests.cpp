// A host running frames on four GUI threads: the re-apply timer and the auto-hide
// timer belong to each frame, whatever the other threads do.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <vector>
#include "hardening_bench.h"

using namespace hardening;
using tarvik::test::MessageRecord;

namespace {

constexpr int kThreads = 4;

class GuiThreads : public DllCase {
  protected:
    void SetUp() override {
        DllCase::SetUp();
        install();
        standin::HostOptions options;
        options.threads = kThreads;
        ASSERT_TRUE(host.start(options)) << host.lastError();
        for (int i = 0; i < kThreads; ++i) {
            auto made = host.createFrame(frameOptions(standin::FrameClass::Explorer, i), i);
            ASSERT_TRUE(made) << made.error;
            frames.push_back(*made);
        }
        tarvik::test::RecorderConfig config;
        config.recordOnly(WM_TIMER);
        std::vector<HWND> windows;
        for (const auto& frame : frames)
            windows.push_back(frame.frame);
        ASSERT_TRUE(host.startRecording(windows, config));
    }
    void TearDown() override {
        host.stop();
        DllCase::TearDown();
    }

    // WM_TIMER ticks with `id` per frame so far.
    std::map<HWND, int> ticks(UINT_PTR id) {
        std::map<HWND, int> count;
        auto records = host.records();
        if (records)
            for (const MessageRecord& record : *records)
                if (record.message == WM_TIMER && record.wParam == id) ++count[record.hwnd];
        return count;
    }

    standin::RemoteShell host;
    std::vector<standin::FrameHandles> frames;
};

TEST_F(GuiThreads, ABurstOnEachFrameReappliesEachFrameOnce) {
    library.showHideAllLogo(0, 0); // active, nothing hidden
    tarvik::test::pumpFor(300);    // whatever that walk armed has ticked
    ASSERT_TRUE(host.startRecording(
        {frames[0].frame, frames[1].frame, frames[2].frame, frames[3].frame}, [] {
            tarvik::test::RecorderConfig config;
            config.recordOnly(WM_TIMER);
            return config;
        }()));
    // Hiding the links band lays each rebar out: one request, a run of child-size
    // notes for every band, all before the frame's thread takes its next message.
    for (const auto& frame : frames)
        ASSERT_TRUE(host.send(frame.rebar, RB_SHOWBAND, 3, FALSE));
    tarvik::test::pumpUntil([&] { return ticks(TIMER_REAPPLY).size() == frames.size(); }, 3000);
    tarvik::test::pumpFor(500); // a second tick would come within this
    const auto counted = ticks(TIMER_REAPPLY);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto found = counted.find(frames[i].frame);
        const int n = found == counted.end() ? 0 : found->second;
        std::printf("[ threads ] frame on thread %zu: %d re-apply tick(s)\n", i, n);
        EXPECT_EQ(n, 1) << "thread " << i;
    }
}

TEST_F(GuiThreads, AutohideRunsOnTheToggledFramesOnly) {
    library.showHideAllMenu(1, 1);
    for (const auto& frame : frames) {
        auto bands = host.bands(frame.rebar);
        ASSERT_TRUE(bands);
        ASSERT_TRUE((*bands)[0].fStyle & RBBS_HIDDEN);
    }
    ASSERT_TRUE(host.send(frames[0].frame, MSG_TOGGLE_MENUBAR));
    ASSERT_TRUE(host.send(frames[2].frame, MSG_TOGGLE_MENUBAR));
    const double start = nowMs();
    ASSERT_TRUE(tarvik::test::pumpUntil(
        [&] {
            const auto counted = ticks(TIMER_MENU_AUTOHIDE);
            return counted.count(frames[0].frame) && counted.count(frames[2].frame);
        },
        5000));
    const double took = nowMs() - start;
    tarvik::test::pumpFor(300);
    const auto counted = ticks(TIMER_MENU_AUTOHIDE);
    std::printf("[ threads ] auto-hide ticked on the two toggled frames after %.0f ms\n", took);
    EXPECT_GE(took, 1800.0);
    EXPECT_EQ(counted.count(frames[1].frame), 0u);
    EXPECT_EQ(counted.count(frames[3].frame), 0u);
    for (int i : {0, 2}) {
        auto bands = host.bands(frames[i].rebar);
        ASSERT_TRUE(bands);
        EXPECT_TRUE((*bands)[0].fStyle & RBBS_HIDDEN) << "hidden again on frame " << i;
    }
    library.restoreAllMenu();
}

} // namespace
