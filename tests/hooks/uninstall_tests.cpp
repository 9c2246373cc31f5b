// After uninstallHook_EXPIE no hook acts in the frames' process, the library's
// timers are gone from every frame, and the frames go on working.
#include "hook_bench.h"
#include "pump.h"
#include "real_input.h"
#include "upkeep_helpers.h"

using namespace hooktest;
using standin::kLogoBandId;
using standin::kMenuBandId;

namespace {

class Uninstall : public HookBench {};

TEST_F(Uninstall, NoHookActsAndNoTimerTicksAfterwardsWhileTheFramesWorkOn) {
    RemoteShell& host = startHost(2);
    const FrameHandles explorer = hostFrame(host, frameOptions(FrameClass::Explorer), 0);
    standin::FrameOptions right = frameOptions(FrameClass::Browser);
    right.x = 820;
    right.width = 440;
    const FrameHandles browser = hostFrame(host, right, 1);
    ASSERT_NE(browser.frame, nullptr);
    install();
    library.showHideAllLogo(1, 1);
    library.showHideAllMenu(1, 1);
    const FrameHandles* both[] = {&explorer, &browser};

    // Timers running on both threads when the hooks go: the auto-hide timers of bands
    // shown on demand, and the Explorer frame's re-apply timer, armed by a re-layout
    // while its thread is held so that it cannot tick first.
    for (const FrameHandles* f : both) {
        ASSERT_TRUE(sendToWindow(f->frame, MSG_TOGGLE_MENUBAR));
        ASSERT_FALSE(hostBandHidden(host, f->rebar, kMenuBandId));
    }
    RecorderConfig config;
    config.recordOnly(WM_TIMER);
    ASSERT_TRUE(record(host, {explorer.frame, browser.frame}, config));
    const int logo = bandIndex(host, explorer.rebar, kLogoBandId);
    HostThreadHold hold;
    ASSERT_TRUE(hold.hold(host, explorer.frame, [&] {
        sendToWindow(explorer.rebar, RB_SHOWBAND, logo, TRUE);
        EXPECT_EQ(library.uninstallHook(), 0);
        installed = false;
    }));
    ASSERT_FALSE(hostBandHidden(host, explorer.rebar, kLogoBandId));

    // Longer than the auto-hide period: nothing of the library's ticks on any frame.
    tarvik::test::pumpFor(kMenuAutohideMs + 500);
    const std::vector<MessageRecord> ticks = records(host);
    for (const FrameHandles* f : both) {
        EXPECT_EQ(countOf(ticks, f->frame, WM_TIMER, TIMER_REAPPLY), 0);
        EXPECT_EQ(countOf(ticks, f->frame, WM_TIMER, TIMER_MENU_AUTOHIDE), 0);
        EXPECT_FALSE(hostBandHidden(host, f->rebar, kMenuBandId)) << "no auto-hide";
    }

    EXPECT_FALSE(hostBandHidden(host, explorer.rebar, kLogoBandId)) << "no re-application";

    // A private message and a middle click change nothing now.
    ASSERT_TRUE(sendToWindow(explorer.frame, MSG_SET_LOGO, kApply, TARVIK_KIND_EXPLORER));
    ASSERT_TRUE(sendToWindow(browser.frame, MSG_TOGGLE_MENUBAR));
    EXPECT_FALSE(hostBandHidden(host, explorer.rebar, kLogoBandId));
    EXPECT_FALSE(hostBandHidden(host, browser.rebar, kMenuBandId));
    RecorderConfig clicks;
    clicks.recordOnly(WM_MBUTTONUP);
    ASSERT_TRUE(record(host, {explorer.mainToolbar}, clicks));
    ASSERT_TRUE(putCursorOver(explorer.mainToolbar));
    ASSERT_TRUE(middleClick());
    ASSERT_TRUE(waitForRecords(host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, explorer.mainToolbar, WM_MBUTTONUP) == 1;
    }));
    EXPECT_FALSE(hostBandHidden(host, explorer.rebar, kMenuBandId));

    // The process answers, its frames repaint and take messages.
    auto ping = host.ping();
    ASSERT_TRUE(ping) << ping.error;
    EXPECT_EQ(ping->threads, 2);
    RecorderConfig paints;
    paints.skipNoise = false;
    paints.recordOnly(WM_PAINT);
    ASSERT_TRUE(record(host, {explorer.rebar, browser.mainToolbar}, paints));
    for (HWND window : {explorer.rebar, browser.mainToolbar})
        ASSERT_TRUE(InvalidateRect(window, nullptr, TRUE));
    EXPECT_TRUE(waitForRecords(host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, explorer.rebar, WM_PAINT) > 0 &&
               countOf(r, browser.mainToolbar, WM_PAINT) > 0;
    }));
    auto hidden =
        host.send(browser.rebar, RB_SHOWBAND, bandIndex(host, browser.rebar, kLogoBandId), FALSE);
    ASSERT_TRUE(hidden) << hidden.error;
    EXPECT_EQ(*hidden, 1);
    EXPECT_TRUE(hostBandHidden(host, browser.rebar, kLogoBandId));
}

} // namespace
