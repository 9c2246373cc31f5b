// Timers left pending when the hooks come out: the auto-hide timer of a frame
// whose menu band was toggled on must stop with the hooks, in this process and
// in a host on two threads, or it would tick into the frame for as long as it lives.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include "hardening_bench.h"
#include "recorder.h"

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

} // namespace
