// Explorer restarted while tarvikctl runs: the taskbar's process dies and a new one makes
// a new taskbar (announcing it with "TaskbarCreated", as Explorer does). The new
// process's frames are restyled when shown, and `tarvikctl --stop` restores them and has
// the new taskbar's process refill its lists and free its saved icons.
#include <gtest/gtest.h>
#include <windows.h>

#include "child_process.h"
#include "library_under_test.h"
#include "lane.h"
#include "pump.h"
#include "standin/client.h"
#include "standin/ledger_protocol.h"
#include "tarvikctl_process.h"
#include "temp_folder.h"

using tarvik::test::ChildProcess;
using tarvik::test::quoted;

namespace {

const DWORD kWaitMs = tarvik::test::laneWaitMs(10000);
// The handles file names no icon: every slot shows its native image at these sizes, which
// Wine can draw in any process (an icon handle works only in the process that made it).
constexpr int kLargeSize = 20;

standin::FrameOptions explorerFrame() {
    standin::FrameOptions options;
    options.shareImageLists = true; // the shell's lists, shared by its frames
    return options;
}

bool logoHidden(standin::RemoteShell& host, HWND rebar) {
    auto bands = host.bands(rebar);
    if (bands)
        for (const standin::BandRecord& band : *bands)
            if (band.wID == standin::kLogoBandId) return (band.fStyle & RBBS_HIDDEN) != 0;
    return false;
}

// The size the main toolbar's list has, 0 when it cannot be read.
int listSize(standin::RemoteShell& host, HWND toolbar) {
    auto list = host.imageList(toolbar, false);
    return list && list->described > 0 ? list->cx : 0;
}

// A top-level window of this process that counts the "TaskbarCreated" it receives.
LRESULT CALLBACK countAnnouncements(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    if (message == taskbarCreated) ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, 0));
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST(ExplorerRestart, TheNewProcessGetsEverySettingOnShowAndTheStopFromTheNewTaskbar) {
    LibraryUnderTest library; // the shared block, as tarvikctl's library leaves it
    std::string error;
    ASSERT_TRUE(library.load(&error, StartFrom::AsFound)) << error;
    tarvik::test::TempFolder folder;
    const std::string handles = folder.file("handles.txt");
    ASSERT_TRUE(tarvik::test::writeFile(handles, "large-size 20\nsmall-size 14\nicon 0 0 0 0 0\n"));

    standin::RemoteShell dying;
    ASSERT_TRUE(dying.start()) << dying.lastError();
    ASSERT_TRUE(dying.createTaskbar());
    auto before = dying.createFrame(explorerFrame());
    ASSERT_TRUE(before) << before.error;
    ChildProcess controller;
    ASSERT_TRUE(controller.start(quoted(tarvik::test::tarvikctlPath()) + " --icon-handles " +
                                 quoted(handles) + " " + quoted(tarvik::test::tarvikctlExample())));
    ASSERT_TRUE(controller.waitForOutput("running;", kWaitMs, true)) << controller.err();
    ASSERT_EQ(listSize(dying, before->mainToolbar), kLargeSize);

    // Explorer dies and starts again: a new process, a new taskbar, new frames.
    dying.stop(0);
    WNDCLASSA counting{};
    counting.lpfnWndProc = countAnnouncements;
    counting.cbWndExtra = sizeof(LONG_PTR);
    counting.lpszClassName = "TarvikAnnouncementCount";
    RegisterClassA(&counting);
    int announcements = 0;
    HWND listener = CreateWindowA(counting.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    SetWindowLongPtrA(listener, 0, reinterpret_cast<LONG_PTR>(&announcements));
    standin::RemoteShell restarted;
    ASSERT_TRUE(restarted.start()) << restarted.lastError();
    standin::wire::LedgerBody ledger{};
    besideThisProgram(TARVIK_DLL_NAME).copy(ledger.path, sizeof ledger.path - 1);
    ASSERT_TRUE(restarted.call<standin::wire::LedgerReply>(
        standin::wire::Request::InstallIconLedger, ledger));
    auto taskbar = restarted.createTaskbar(0, true);
    ASSERT_TRUE(taskbar) << taskbar.error;
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), *taskbar);
    EXPECT_TRUE(tarvik::test::pumpUntil([&] { return announcements > 0; }, kWaitMs))
        << "no \"TaskbarCreated\" from the new shell";
    DestroyWindow(listener);
    auto after = restarted.createFrame(explorerFrame());
    ASSERT_TRUE(after) << after.error;
    EXPECT_EQ(listSize(restarted, after->mainToolbar), kLargeSize) << "no icons on show";
    EXPECT_TRUE(logoHidden(restarted, after->rebar));
    EXPECT_EQ(library.shared->explorerLargeListsOwner, restarted.processId());

    tarvik::test::RecorderConfig restoreOnly;
    restoreOnly.recordOnly(MSG_RESTORE_ICONS);
    ASSERT_TRUE(restarted.startRecording({*taskbar, after->frame}, restoreOnly));
    const tarvik::test::ProcessRun stop =
        tarvik::test::runProcess(quoted(tarvik::test::tarvikctlPath()) + " --stop", 40000);
    EXPECT_EQ(stop.exitCode, 0u) << stop.err;
    ASSERT_TRUE(controller.waitForExit(kWaitMs));
    EXPECT_EQ(controller.exitCode(), 0u) << controller.err();

    // The restore reached the new process: natives back, its taskbar asked (its frame
    // lives with the taskbar, so not), every icon it saved freed there.
    EXPECT_EQ(listSize(restarted, after->mainToolbar), standin::kLargeImageSize);
    EXPECT_FALSE(logoHidden(restarted, after->rebar));
    auto asked = restarted.records();
    ASSERT_TRUE(asked) << asked.error;
    ASSERT_EQ(asked->size(), 1u);
    EXPECT_EQ((*asked)[0].hwnd, *taskbar);
    auto counts =
        restarted.call<tarvik::test::IconLedgerCounts>(standin::wire::Request::IconLedgerCounts);
    ASSERT_TRUE(counts) << counts.error;
    EXPECT_GT(counts->created, 0u);
    EXPECT_EQ(counts->live, 0u);
    EXPECT_EQ(counts->destroyedTwice + counts->destroyedOther, 0u);
    EXPECT_EQ(library.shared->hookCallWndProc, nullptr);
    EXPECT_TRUE(restarted.stop());
}
