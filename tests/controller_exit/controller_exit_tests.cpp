// A controller that ends without the restore exports: it installs, applies, hides
// the menu band and then returns from its process, or is killed. The frames of a
// host must keep working: answering, repainting, lists still valid and drawable.
// The controller is this test program started again with a filter and a switch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include "hardening_bench.h"
#include "lane.h"
#include "process_start.h"
#include "standin/ledger_protocol.h"

using namespace hardening;

namespace {

constexpr char kChildSwitch[] = "TARVIK_HARDENING_CONTROLLER";

// Runs this program as the controller child; returns its exit code.
DWORD runControllerChild(const char* mode) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command =
        std::string("\"") + program + "\" --gtest_filter=ControllerChild.ActsAndLeaves";
    SetEnvironmentVariableA(kChildSwitch, mode);
    tarvik::test::ProcessStart startWith;
    startWith.commandLine = command;
    PROCESS_INFORMATION process{};
    std::string error;
    const bool started = tarvik::test::startProcess(startWith, process, error);
    SetEnvironmentVariableA(kChildSwitch, nullptr);
    if (!started) return 0xFFFFFFFF;
    tarvik::test::pumpUntilSignalled(process.hProcess, tarvik::test::laneWaitMs(15000));
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool menuBandHidden(standin::RemoteShell& host, HWND rebar) {
    auto bands = host.bands(rebar);
    if (!bands) return false;
    for (const standin::BandRecord& band : *bands)
        if (band.wID == standin::kMenuBandId) return (band.fStyle & RBBS_HIDDEN) != 0;
    return false;
}

// Windows removes a thread's hooks when the thread ends; Wine keeps them, and every event
// would then pass a dead controller's hooks as well as the next one's. Remove them here,
// as Windows would have, from the handles the dead controller left in the block.
void removeHooksOfTheDead(LibraryUnderTest& library) {
    SharedState& block = *library.shared;
    for (HHOOK* hook : {&block.hookCallWndProc, &block.hookCallWndProcRet, &block.hookGetMessage,
                        &block.hookMouse, &block.hookKeyboard, &block.hookKeyboardLL})
        if (*hook != nullptr) UnhookWindowsHookEx(*hook);
}

class ControllerExit : public ::testing::TestWithParam<const char*> {};

TEST_P(ControllerExit, FramesKeepWorkingAfterTheControllerIsGone) {
    standin::RemoteShell host;
    standin::HostOptions options;
    options.threads = 2;
    ASSERT_TRUE(host.start(options)) << host.lastError();
    auto explorer = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0), 0);
    auto browser = host.createFrame(frameOptions(standin::FrameClass::Browser, 1, false), 1);
    ASSERT_TRUE(explorer && browser);
    auto listBefore = host.imageList(browser->mainToolbar, false);
    ASSERT_TRUE(listBefore) << listBefore.error;

    const DWORD code = runControllerChild(GetParam());
    std::printf("[ controller ] child (%s) ended with %#lx\n", GetParam(), code);
    ASSERT_EQ(code, std::string(GetParam()) == "kill" ? 0xDEADu : 0u);
    // What the child left: the menu band hidden, the icons at its size.
    EXPECT_TRUE(menuBandHidden(host, explorer->rebar));
    auto listAfter = host.imageList(browser->mainToolbar, false);
    ASSERT_TRUE(listAfter) << listAfter.error;
    EXPECT_EQ(listAfter->cx, 14);
    EXPECT_EQ(listAfter->count, listBefore->count);

    // Past an auto-hide period: no timer of the gone controller's library hurts them.
    tarvik::test::pumpFor(2500);
    ASSERT_TRUE(host.running());
    for (HWND frame : {explorer->frame, browser->frame}) {
        EXPECT_TRUE(host.send(frame, WM_NULL));
        EXPECT_TRUE(host.send(frame, WM_PAINT));
        EXPECT_TRUE(host.showWindow(frame, SW_MINIMIZE));
        EXPECT_TRUE(host.showWindow(frame, SW_RESTORE));
    }
    // The lists are still the frames' own and draw: their images read back.
    auto drawn = host.imageList(browser->mainToolbar, false);
    ASSERT_TRUE(drawn) << drawn.error;
    EXPECT_EQ(drawn->list, listBefore->list);
    EXPECT_GT(drawn->described, 0);
    auto explorerList = host.imageList(explorer->mainToolbar, true);
    ASSERT_TRUE(explorerList) << explorerList.error;
    EXPECT_EQ(explorerList->cx, 20);
    EXPECT_GT(explorerList->described, 0);
    EXPECT_TRUE(host.stop());
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error, StartFrom::AsFound)) << error;
    removeHooksOfTheDead(library);
}

INSTANTIATE_TEST_SUITE_P(EndsBy, ControllerExit, ::testing::Values("return", "kill"));

struct HostFrames {
    standin::FrameHandles explorer, browser;
    HWND taskbar = nullptr;
    Look nativeExplorer, nativeBrowser;
};

// Frames and the taskbar in a host whose icon ledger counts the library's own icons.
::testing::AssertionResult startFrames(standin::RemoteShell& host, HostFrames& frames) {
    if (!host.start()) return ::testing::AssertionFailure() << host.lastError();
    standin::wire::LedgerBody ledger{};
    const std::string dll = besideThisProgram(TARVIK_DLL_NAME);
    dll.copy(ledger.path, sizeof ledger.path - 1);
    auto counting =
        host.call<standin::wire::LedgerReply>(standin::wire::Request::InstallIconLedger, ledger);
    auto explorer = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0));
    auto browser = host.createFrame(frameOptions(standin::FrameClass::Browser, 1, false));
    auto taskbar = host.createTaskbar();
    if (!counting || !explorer || !browser || !taskbar)
        return ::testing::AssertionFailure()
               << counting.error << explorer.error << browser.error << taskbar.error;
    frames = {*explorer, *browser, *taskbar, lookOf(host, *explorer), lookOf(host, *browser)};
    return ::testing::AssertionSuccess();
}

// After a controller killed with everything applied, the next controller's whole session
// gives every frame its native look back and frees every icon the library saved: in the
// process the dead controller worked on, and in a new one that took its place, as when
// Explorer restarts while the block lives on in other processes.
TEST(ControllerAfterAKilledOne, BringsEveryFrameBackAndFreesEverything) {
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error, StartFrom::AsFound)) << error;
    HWND notify = CreateWindowExA(0, "STATIC", "second controller", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    standin::RemoteShell first, second;
    HostFrames frames;
    auto secondController = [&](standin::RemoteShell& host, const char* which) {
        ASSERT_TRUE(fullCycle(library, notify, host, frames.explorer)) << which;
        expectSameLook(frames.nativeExplorer, lookOf(host, frames.explorer),
                       (std::string(which) + ", explorer").c_str());
        expectSameLook(frames.nativeBrowser, lookOf(host, frames.browser),
                       (std::string(which) + ", browser").c_str());
        auto counts =
            host.call<tarvik::test::IconLedgerCounts>(standin::wire::Request::IconLedgerCounts);
        ASSERT_TRUE(counts) << counts.error;
        std::printf("[ controller ] %s: icons saved %u, destroyed %u\n", which, counts->created,
                    counts->destroyed);
        EXPECT_GT(counts->created, 0u) << which;
        EXPECT_EQ(counts->live, 0u) << which;
        EXPECT_EQ(counts->destroyedTwice + counts->destroyedOther, 0u) << which;
    };
    ASSERT_TRUE(startFrames(first, frames));
    ASSERT_EQ(runControllerChild("kill"), 0xDEADu);
    removeHooksOfTheDead(library);
    ASSERT_TRUE(menuBandHidden(first, frames.explorer.rebar)) << "the child applied nothing";
    secondController(first, "same host");

    ASSERT_EQ(runControllerChild("kill"), 0xDEADu);
    removeHooksOfTheDead(library);
    EXPECT_TRUE(first.stop());
    ASSERT_TRUE(startFrames(second, frames));
    secondController(second, "new host");
    EXPECT_TRUE(second.stop());
    DestroyWindow(notify);
}

// The child's part; does nothing unless started by the case above.
TEST(ControllerChild, ActsAndLeaves) {
    const char* mode = std::getenv(kChildSwitch);
    if (mode == nullptr) GTEST_SKIP() << "runs only as a controller child";
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    *library.shared = loadedImageOfSharedBlock();
    HWND notify = CreateWindowExA(0, "STATIC", "controller", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    library.installHook(library.module, notify);
    // No controller icons (they would be foreign in the host): natives at other sizes.
    library.setIcons(nullptr, nullptr, kIconSlots, 20);
    library.setSmallIcons(nullptr, nullptr, kIconSlots, 14);
    library.changeAllToolbar();
    library.showHideAllLogo(1, 1);
    library.showHideAllMenu(1, 1);
    library.showHideAllHeader(1, 1);
    library.showHideAllDropdownArrow(1, 1);
    std::fflush(stdout);
    if (std::string(mode) == "kill") TerminateProcess(GetCurrentProcess(), 0xDEAD);
    ExitProcess(0); // no uninstall, no restore, no clean-up
}

} // namespace
