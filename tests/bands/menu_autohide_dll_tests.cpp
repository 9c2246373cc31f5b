// The menu band's auto-hide through the real DLL's hooks: a toggle shows the
// band and arms the timer; the tick, taken from the frame's queue, hides the band
// of a frame in the background and leaves the foreground frame's band and timer
// alone. The toggle's query answers from its own walk, not the shared slot.
#include <gtest/gtest.h>

#include <string>

#include "band_helpers.h"
#include "foreground.h"
#include "library_under_test.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kMenuBandId;

namespace {

class MenuAutohideThroughHooks : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library_.load(&error)) << error;
        controller_ = CreateWindowExA(0, "STATIC", "controller", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        library_.installHook(reinterpret_cast<HINSTANCE>(library_.module), controller_);
        ASSERT_NE(library_.shared->hookCallWndProc, nullptr);
        ASSERT_NE(library_.shared->hookGetMessage, nullptr);
        installed_ = true;
    }

    // Windows that were once active are left to the end of the process (each case
    // runs in its own): without a window manager, Wine waits 2 s in vain for such
    // a window to be withdrawn when it is hidden or destroyed.
    void TearDown() override {
        if (installed_) library_.uninstallHook();
        if (controller_ != nullptr) DestroyWindow(controller_);
        library_.unload();
    }

    // A frame on screen, left to the end of the process.
    standin::FrameHandles shownFrame() {
        standin::FrameHandles frame = standin::createFrame(frameOptions("MTALG", true));
        EXPECT_NE(frame.frame, nullptr);
        return frame;
    }

    // A plain top-level window of this process that can take the foreground.
    HWND otherWindow() {
        if (other_ == nullptr) {
            other_ = CreateWindowExA(0, "STATIC", "another program",
                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 820, 40, 300, 200, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        }
        return other_;
    }

    // Customisation on, menu bands set to be hidden: the broadcast hides them.
    void hideMenuBands() { library_.showHideAllMenu(1, 1); }

    void toggle(HWND frame) { SendMessageA(frame, MSG_TOGGLE_MENUBAR, 0, 0); }

    LibraryUnderTest library_;
    HWND controller_ = nullptr;
    HWND other_ = nullptr;
    bool installed_ = false;
};

} // namespace

TEST_F(MenuAutohideThroughHooks, TickHidesTheBandOfAFrameInTheBackground) {
    const standin::FrameHandles frame = shownFrame();
    hideMenuBands();
    ASSERT_TRUE(bandHidden(frame.rebar, kMenuBandId)) << "the broadcast hid the band";
    ASSERT_TRUE(bringToForeground(otherWindow()));

    toggle(frame.frame);
    const ULONGLONG shown = nowMs();
    ASSERT_FALSE(bandHidden(frame.rebar, kMenuBandId)) << "the toggle showed the band";

    Tick tick{};
    ASSERT_TRUE(waitForTick(frame.frame, TIMER_MENU_AUTOHIDE, kTickWaitMs, &tick));
    EXPECT_NE(GetForegroundWindow(), frame.frame);
    EXPECT_GE(tick.at - shown, kEarliestTickMs);
    EXPECT_LE(tick.at - shown, kLatestTickMs);
    EXPECT_TRUE(bandHidden(frame.rebar, kMenuBandId)) << "the tick hid the band";
    EXPECT_FALSE(KillTimer(frame.frame, TIMER_MENU_AUTOHIDE)) << "and stopped the timer";
}

TEST_F(MenuAutohideThroughHooks, TickLeavesTheForegroundFrameAloneUntilItLosesTheForeground) {
    const standin::FrameHandles frame = shownFrame();
    otherWindow();
    hideMenuBands();
    ASSERT_TRUE(bandHidden(frame.rebar, kMenuBandId));
    ASSERT_TRUE(bringToForeground(frame.frame));

    toggle(frame.frame);
    const ULONGLONG shown = nowMs();
    ASSERT_FALSE(bandHidden(frame.rebar, kMenuBandId));

    Tick first{};
    ASSERT_TRUE(waitForTick(frame.frame, TIMER_MENU_AUTOHIDE, kTickWaitMs, &first));
    ASSERT_EQ(GetForegroundWindow(), frame.frame) << "the frame lost the foreground by itself";
    EXPECT_GE(first.at - shown, kEarliestTickMs);
    EXPECT_FALSE(bandHidden(frame.rebar, kMenuBandId)) << "hidden while in the foreground";

    // The timer runs on: once another window is in front, the next tick hides.
    ASSERT_TRUE(bringToForeground(otherWindow()));
    Tick second{};
    ASSERT_TRUE(waitForTick(frame.frame, TIMER_MENU_AUTOHIDE, kTickWaitMs, &second));
    EXPECT_GE(second.at - first.at, kEarliestTickMs - 200);
    EXPECT_TRUE(bandHidden(frame.rebar, kMenuBandId));
    EXPECT_FALSE(KillTimer(frame.frame, TIMER_MENU_AUTOHIDE));
}

TEST_F(MenuAutohideThroughHooks, ToggleAnswersItsQueryFromItsOwnWalk) {
    // A frame whose would-be menu toolbar sits in a band of another id: the
    // query finds no menu band, so the toggle shows (nothing) and arms the timer,
    // even while the shared result slot is overwritten with "visible".
    Frame decoy(frameOptions("MTALG"));
    setBandId(decoy->rebar, kMenuBandId, 7);
    // A frame with a visible menu band while the slot is overwritten with "hidden".
    Frame real(frameOptions("MTALG"));
    library_.showHideAllMenu(0, 0);
    ASSERT_FALSE(bandHidden(real->rebar, kMenuBandId));

    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(decoy->rebar));
    ASSERT_TRUE(recorder.attach(real->rebar));
    int reads = 0;
    recorder.before(decoy->rebar, RB_GETBANDINFOA, [&](const MessageRecord&) {
        library_.shared->menuBandVisible = 1;
        ++reads;
    });
    recorder.before(real->rebar, RB_GETBANDINFOA,
                    [&](const MessageRecord&) { library_.shared->menuBandVisible = 0; });

    toggle(decoy->frame);
    EXPECT_GT(reads, 0);
    EXPECT_TRUE(KillTimer(decoy->frame, TIMER_MENU_AUTOHIDE))
        << "the toggle took the band as hidden";

    toggle(real->frame);
    EXPECT_TRUE(bandHidden(real->rebar, kMenuBandId)) << "the toggle took the band as visible";
    EXPECT_FALSE(KillTimer(real->frame, TIMER_MENU_AUTOHIDE));
}
