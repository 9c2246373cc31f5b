// Timers left pending when the hooks come out: the auto-hide timer of a frame
// whose menu band was toggled on must stop with the hooks, in this process and
// in a host on two threads, or it would tick into the frame for as long as it lives.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include "hardening_bench.h"
#include "recorder.h"
#include "standin/relay_protocol.h"

using namespace hardening;
using tarvik::test::MessageRecord;

namespace {

class UninstallTimers : public DllCase {};

int autohideTicks(const std::vector<MessageRecord>& records) {
    int ticks = 0;
    for (const MessageRecord& record : records)
        if (record.message == WM_TIMER && record.wParam == TIMER_MENU_AUTOHIDE) ++ticks;
    return ticks;
}

TEST_F(UninstallTimers, NoAutohideTickReachesAnyFrameAfterUninstall) {
    install();
    standin::RemoteShell host;
    standin::HostOptions hostOptions;
    hostOptions.threads = 2;
    ASSERT_TRUE(host.start(hostOptions)) << host.lastError();
    std::vector<HWND> remote;
    for (int i = 0; i < 2; ++i) {
        auto made = host.createFrame(frameOptions(standin::FrameClass::Explorer, i), i);
        ASSERT_TRUE(made) << made.error;
        remote.push_back(made->frame);
    }
    const standin::FrameHandles local =
        standin::createFrame(frameOptions(standin::FrameClass::Browser, 5));
    ASSERT_NE(local.frame, nullptr);
    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_TIMER).recordOnly(0x0DE3);
    tarvik::test::MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(local.frame));
    auto recording = host.startRecording(remote, config);
    ASSERT_TRUE(recording) << recording.error;

    library.showHideAllMenu(1, 1);
    auto toggleAll = [&] {
        SendMessageA(local.frame, MSG_TOGGLE_MENUBAR, 0, 0);
        for (HWND frame : remote)
            ASSERT_TRUE(host.send(frame, MSG_TOGGLE_MENUBAR));
    };
    // With the hooks in, the timer ticks on every frame: what the check below must not see.
    toggleAll();
    ASSERT_TRUE(tarvik::test::pumpUntil(
        [&] {
            auto records = host.records();
            return autohideTicks(recorder.records()) > 0 && records &&
                   autohideTicks(*records) >= static_cast<int>(remote.size());
        },
        4000))
        << "the auto-hide timer never ticked";

    toggleAll(); // shown again, timers pending
    recorder.clear();
    ASSERT_TRUE(host.startRecording(remote, config));
    const double start = nowMs();
    library.uninstallHook();
    const double took = nowMs() - start;
    // Past the 2 s period with room for a late tick.
    tarvik::test::pumpFor(3000);
    auto records = host.records();
    ASSERT_TRUE(records) << records.error;
    const int localTicks = autohideTicks(recorder.records());
    const int remoteTicks = autohideTicks(*records);
    int stops = 0;
    for (const MessageRecord& record : *records)
        stops += record.message == 0x0DE3 ? 1 : 0;
    std::printf("[ timers ] uninstall in %.0f ms; ticks after it: here %d, host %d; stop "
                "messages in the host %d\n",
                took, localTicks, remoteTicks, stops);
    EXPECT_EQ(localTicks, 0);
    EXPECT_EQ(remoteTicks, 0);
    EXPECT_EQ(stops, 2);
    EXPECT_TRUE(answers(local.frame));
    EXPECT_TRUE(host.send(remote[0], WM_NULL));
    EXPECT_TRUE(host.stop());
}

// Uninstalled and unloaded while a host's frames show the controller's icons, the menu
// band is hidden and an auto-hide timer is pending: the frames keep answering,
// repainting and drawing the icons from their lists.
TEST_F(UninstallTimers, FramesShowingIconsKeepWorkingAfterUninstallAndUnload) {
    install();
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    auto explorer = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0));
    auto browser = host.createFrame(frameOptions(standin::FrameClass::Browser, 1));
    ASSERT_TRUE(explorer && browser);
    const COLORREF controllerColour = RGB(240, 20, 120);
    auto icons = host.createIcons(24, std::vector<COLORREF>(kIconSlots, controllerColour));
    ASSERT_TRUE(icons) << icons.error;
    library.setIcons(icons->data(), icons->data(), kIconSlots, 24);
    library.changeAllToolbar();
    library.showHideAllMenu(1, 1);
    ASSERT_TRUE(host.send(browser->frame, MSG_TOGGLE_MENUBAR)); // auto-hide pending here
    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_TIMER);
    ASSERT_TRUE(host.startRecording({explorer->frame, browser->frame}, config));

    library.uninstallHook();
    library.unload();
    library.uninstallHook = nullptr; // nothing left to call at tear-down
    tarvik::test::pumpFor(2600);     // past the auto-hide period

    ASSERT_TRUE(host.running());
    auto records = host.records();
    ASSERT_TRUE(records) << records.error;
    EXPECT_EQ(autohideTicks(*records), 0);
    for (const auto* frame : {&*explorer, &*browser}) {
        EXPECT_TRUE(host.send(frame->frame, WM_NULL));
        EXPECT_TRUE(host.send(frame->frame, WM_PAINT));
        EXPECT_TRUE(host.showWindow(frame->frame, SW_MINIMIZE));
        EXPECT_TRUE(host.showWindow(frame->frame, SW_RESTORE));
        auto list = host.imageList(frame->mainToolbar, false);
        ASSERT_TRUE(list) << list.error;
        ASSERT_GT(list->described, 1);
        EXPECT_EQ(list->centre[1], controllerColour) << "the list no longer draws its icons";
    }
    EXPECT_TRUE(host.stop());
}

bool bandShown(standin::RemoteShell& host, HWND rebar, UINT id) {
    auto bands = host.bands(rebar);
    if (!bands) return false;
    for (const standin::BandRecord& band : *bands)
        if (band.wID == id) return !(band.fStyle & RBBS_HIDDEN);
    return false;
}

// Three frames on one thread of a host, each with both timers due when the thread,
// busy as uninstall starts, takes its first stop message: no tick may act from then on.
TEST_F(UninstallTimers, NoDueTickActsOnceUninstallHasBegun) {
    install();
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    std::vector<standin::FrameHandles> frames;
    for (int i = 0; i < 3; ++i) {
        standin::FrameOptions options = frameOptions(standin::FrameClass::Explorer, i);
        options.visible = false; // nothing to paint: the thread's queue holds just the ticks
        auto made = host.createFrame(options);
        ASSERT_TRUE(made) << made.error;
        frames.push_back(*made);
    }
    library.showHideAllLogo(1, 0);
    library.showHideAllMenu(1, 0);
    standin::wire::HoldBody hold{frames[0].frame, 700, 0, {}};
    for (const standin::FrameHandles& frame : frames) {
        ASSERT_TRUE(host.send(frame.frame, MSG_TOGGLE_MENUBAR)); // auto-hide armed
        auto bands = host.bands(frame.rebar);
        ASSERT_TRUE(bands) << bands.error;
        for (std::size_t i = 0; i < bands->size(); ++i)
            if ((*bands)[i].wID == standin::kLogoBandId)
                hold.sends[hold.count++] = {frame.rebar, RB_SHOWBAND, i, TRUE};
    }
    ASSERT_EQ(hold.count, 3);
    tarvik::test::pumpFor(1600);
    // The frames show their logo bands themselves (re-apply armed); the thread is then
    // busy past the auto-hide period while uninstall starts.
    auto held = host.call<standin::Done>(standin::wire::Request::SendThenHold, hold);
    ASSERT_TRUE(held) << held.error;
    library.uninstallHook();
    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_TIMER);
    ASSERT_TRUE(host.startRecording({frames[0].frame, frames[1].frame, frames[2].frame}, config));
    tarvik::test::pumpFor(2200); // past the auto-hide period

    auto records = host.records();
    ASSERT_TRUE(records) << records.error;
    for (const MessageRecord& record : *records)
        EXPECT_TRUE(record.wParam != TIMER_MENU_AUTOHIDE && record.wParam != TIMER_REAPPLY)
            << "a library timer ticked after uninstall returned";
    for (const standin::FrameHandles& frame : frames) {
        EXPECT_TRUE(bandShown(host, frame.rebar, standin::kLogoBandId)) << "logo hidden again";
        EXPECT_TRUE(bandShown(host, frame.rebar, standin::kMenuBandId)) << "menu hidden again";
    }
    EXPECT_TRUE(host.stop());
}

} // namespace
