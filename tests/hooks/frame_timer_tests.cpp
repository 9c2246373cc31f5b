// The library's timers belong to each frame: several frames of one process, on
// one GUI thread and on two, each get their own re-application after their own
// re-layout and their own auto-hide tick.
#include "foreground.h"
#include "hook_bench.h"
#include "pump.h"
#include "real_input.h"
#include "upkeep_helpers.h"

using namespace hooktest;
using standin::kLogoBandId;
using standin::kMenuBandId;

namespace {

class FrameTimers : public HookBench {
  protected:
    // Three frames side by side: two on the host's first GUI thread, one on its second.
    void makeFrames(FrameClass frameClass) {
        host = &startHost(2);
        for (int i = 0; i < 3; ++i) {
            standin::FrameOptions options = frameOptions(frameClass);
            options.x = 10 + 420 * i;
            options.width = 410;
            options.height = 400;
            frames[i] = hostFrame(*host, options, i == 2 ? 1 : 0);
            ASSERT_NE(frames[i].frame, nullptr);
        }
        ASSERT_EQ(frames[0].threadId, frames[1].threadId);
        ASSERT_NE(frames[0].threadId, frames[2].threadId);
    }

    RemoteShell* host = nullptr;
    FrameHandles frames[3]{};
};

TEST_F(FrameTimers, EachFrameReappliesOnceAfterItsOwnBurst) {
    makeFrames(FrameClass::Explorer);
    install();
    library.showHideAllLogo(1, 1);
    ASSERT_TRUE(
        record(*host, {frames[0].frame, frames[1].frame, frames[2].frame}, reapplyTraffic()));

    // Bursts on frames 0 and 1 while their thread is held, so both timers run at once;
    // then one on frame 2 of the other thread.
    // (No request to the host while its thread is held: the indexes are read first.)
    const int logo = bandIndex(*host, frames[0].rebar, kLogoBandId);
    const int menu = bandIndex(*host, frames[0].rebar, kMenuBandId);
    const auto burst = [&](const FrameHandles& f) {
        sendToWindow(f.rebar, RB_SHOWBAND, logo, TRUE);
        for (int i = 0; i < 3; ++i)
            sendToWindow(f.rebar, RB_MAXIMIZEBAND, menu, 0);
    };
    HostThreadHold hold;
    ASSERT_TRUE(hold.hold(*host, frames[0].frame, [&] {
        burst(frames[0]);
        burst(frames[1]);
    }));
    ASSERT_TRUE(hold.hold(*host, frames[2].frame, [&] { burst(frames[2]); }));

    ASSERT_TRUE(waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
        for (const FrameHandles& f : frames)
            if (reapplyTicks(r, f.frame) == 0) return false;
        return true;
    }));
    tarvik::test::pumpFor(kQuietMs);
    const std::vector<MessageRecord> seen = records(*host);
    for (const FrameHandles& f : frames) {
        EXPECT_EQ(reapplyTicks(seen, f.frame), 1);
        EXPECT_TRUE(hostBandHidden(*host, f.rebar, kLogoBandId));
    }
}

TEST_F(FrameTimers, EachFrameHidesItsShownBandAtItsOwnTick) {
    makeFrames(FrameClass::Browser);
    otherWindow();
    install();
    library.showHideAllMenu(0, 1);
    // A middle click on each toolbar shows each band and starts each frame's timer.
    for (const FrameHandles& f : frames) {
        ASSERT_TRUE(putCursorOver(f.mainToolbar));
        ASSERT_TRUE(middleClick());
        ASSERT_TRUE(tarvik::test::pumpUntil(
            [&] { return !hostBandHidden(*host, f.rebar, kMenuBandId); }, kHostWaitMs));
    }
    RecorderConfig config;
    config.recordOnly(WM_TIMER);
    ASSERT_TRUE(record(*host, {frames[0].frame, frames[1].frame, frames[2].frame}, config));
    ASSERT_TRUE(tarvik::test::bringToForeground(otherWindow()));

    ASSERT_TRUE(waitForRecords(
        *host,
        [&](const std::vector<MessageRecord>& r) {
            for (const FrameHandles& f : frames)
                if (countOf(r, f.frame, WM_TIMER, TIMER_MENU_AUTOHIDE) == 0) return false;
            return true;
        },
        kMenuAutohideMs + 1500));
    for (const FrameHandles& f : frames)
        EXPECT_TRUE(hostBandHidden(*host, f.rebar, kMenuBandId));
}

} // namespace
