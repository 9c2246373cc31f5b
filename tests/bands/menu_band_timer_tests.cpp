// The auto-hide timer as the settings path and the toggle path leave it: which
// calls arm, restart or kill it, the frame's stored timer id, and the tick
// itself arriving about two seconds later through the frame's message queue.
#include <gtest/gtest.h>

#include <vector>

#include "band_helpers.h"
#include "bands/menu_band.h"
#include "sequence_assert.h"
#include "state/process_state.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kMenuBandId;

namespace {

int storedMenuTimer(HWND frame) {
    return storedTimerId(frame, FrameTimer::MenuAutohide);
}

// KillTimer tells whether the frame has the timer: true only while it runs, and
// it stops it. For the end of a test, or where a stopped timer is the point.
bool timerRunningThenKilled(HWND frame) {
    return KillTimer(frame, TIMER_MENU_AUTOHIDE) != FALSE;
}

} // namespace

TEST(MenuBandTimer, ToggleTwiceShowsAndArmsThenHidesAndKills) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    showMenuBand(frame->frame, 0);
    ASSERT_TRUE(bandHidden(rebar, kMenuBandId));
    ASSERT_EQ(storedMenuTimer(frame->frame), kNoTimer);
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));
    const int menu = indexOfBand(rebar, kMenuBandId);

    toggleMenuBand(frame->frame);
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));
    const int armed = storedMenuTimer(frame->frame);
    EXPECT_NE(armed, kNoTimer);
    EXPECT_NE(armed, 0);

    toggleMenuBand(frame->frame);
    EXPECT_TRUE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(storedMenuTimer(frame->frame), kNoTimer);
    EXPECT_FALSE(timerRunningThenKilled(frame->frame)) << "the second toggle stopped the timer";
    EXPECT_TRUE(sequenceMatches(
        recordsOf(recorder.records(), RB_SHOWBAND),
        {msg(RB_SHOWBAND).wparam(menu).lparam(TRUE), msg(RB_SHOWBAND).wparam(menu).lparam(FALSE)}));
}

TEST(MenuBandTimer, HidingOnTheSettingsPathKillsTheTimerEvenWhenTheBandIsHidden) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    setMenuBand(frame->frame, 1);
    ASSERT_NE(storedMenuTimer(frame->frame), kNoTimer);
    showBandByHand(rebar, kMenuBandId, false);
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));

    showMenuBand(frame->frame, 0);
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());
    EXPECT_EQ(storedMenuTimer(frame->frame), kNoTimer);
    EXPECT_FALSE(timerRunningThenKilled(frame->frame));
}

TEST(MenuBandTimer, ShowingOnTheSettingsPathNeverTouchesTheTimer) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    const int menu = indexOfBand(rebar, kMenuBandId);
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));

    // No timer before: showing starts none.
    showBandByHand(rebar, kMenuBandId, false);
    recorder.clear();
    showMenuBand(frame->frame, 1);
    EXPECT_TRUE(sequenceMatches(recordsOf(recorder.records(), RB_SHOWBAND),
                                {msg(RB_SHOWBAND).wparam(menu).lparam(TRUE)}));
    EXPECT_EQ(storedMenuTimer(frame->frame), kNoTimer);
    EXPECT_FALSE(timerRunningThenKilled(frame->frame));

    // A running timer: showing keeps it and its id.
    setMenuBand(frame->frame, 1);
    const int armed = storedMenuTimer(frame->frame);
    ASSERT_NE(armed, kNoTimer);
    showBandByHand(rebar, kMenuBandId, false);
    showMenuBand(frame->frame, 1);
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(storedMenuTimer(frame->frame), armed);
    EXPECT_TRUE(timerRunningThenKilled(frame->frame));
}

TEST(MenuBandTimer, ToggleOnAFrameWithoutAMenuBandStillArmsTheTimer) {
    Frame frame(frameOptions("TALG"));
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(frame->rebar));
    toggleMenuBand(frame->frame);
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());
    EXPECT_NE(storedMenuTimer(frame->frame), kNoTimer);
    EXPECT_TRUE(timerRunningThenKilled(frame->frame));
}

TEST(MenuBandTimer, AutohideTickComesThroughTheFrameQueueAboutTwoSecondsLater) {
    Frame frame(frameOptions("MTALG"));
    showMenuBand(frame->frame, 0);
    toggleMenuBand(frame->frame);
    const ULONGLONG armed = nowMs();
    ASSERT_FALSE(bandHidden(frame->rebar, kMenuBandId));

    Tick tick{};
    std::vector<Tick> seen;
    ASSERT_TRUE(waitForTick(frame->frame, TIMER_MENU_AUTOHIDE, kTickWaitMs, &tick, &seen));
    EXPECT_GE(tick.at - armed, kEarliestTickMs);
    EXPECT_LE(tick.at - armed, kLatestTickMs);
    EXPECT_EQ(seen.size(), 1u) << "no other timer on the way";
    // Without the hooks nobody acts on the tick: the band stays and the timer runs.
    EXPECT_FALSE(bandHidden(frame->rebar, kMenuBandId));
    EXPECT_TRUE(timerRunningThenKilled(frame->frame));
}

TEST(MenuBandTimer, ShowingAVisibleBandOnTheTogglePathRestartsTheTwoSeconds) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));

    setMenuBand(frame->frame, 1);
    const ULONGLONG firstArmed = nowMs();
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty()) << "the band was visible";
    // Part of the two seconds goes by; no tick may come yet.
    std::vector<Tick> early;
    EXPECT_FALSE(waitForTick(frame->frame, TIMER_MENU_AUTOHIDE, 800, nullptr, &early));

    setMenuBand(frame->frame, 1);
    const ULONGLONG rearmed = nowMs();
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty()) << "still visible";
    EXPECT_NE(storedMenuTimer(frame->frame), kNoTimer);
    Tick tick{};
    ASSERT_TRUE(waitForTick(frame->frame, TIMER_MENU_AUTOHIDE, kTickWaitMs, &tick));
    EXPECT_GE(tick.at - rearmed, kEarliestTickMs) << "the first timer was not restarted";
    EXPECT_GE(tick.at - firstArmed, kEarliestTickMs + 700);
    EXPECT_LE(tick.at - rearmed, kLatestTickMs);
    EXPECT_TRUE(timerRunningThenKilled(frame->frame));
}

TEST(MenuBandTimer, WholeShowValueDecidesTheTimerAndItsLowHalfTheWalk) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;

    // Showing on the toggle path: any non-zero value shows and arms.
    showMenuBand(frame->frame, 0);
    setMenuBand(frame->frame, 0x10000);
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));
    const int armed = storedMenuTimer(frame->frame);
    EXPECT_NE(armed, kNoTimer);

    // On the settings path 0x10000 is not 0, so the timer stays, while the walk
    // gets the low half, 0, and hides.
    showMenuBand(frame->frame, 0x10000);
    EXPECT_TRUE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(storedMenuTimer(frame->frame), armed);
    EXPECT_TRUE(timerRunningThenKilled(frame->frame));
}
