// A controller that ends without the restore exports: it installs, applies, hides
// the menu band and then returns from its process, or is killed. The frames of a
// host must keep working: answering, repainting, lists still valid and drawable.
// The controller is this test program started again with a filter and a switch.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include "hardening_bench.h"

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
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kChildSwitch, nullptr);
    if (!started) return 0xFFFFFFFF;
    tarvik::test::pumpUntilSignalled(process.hProcess, 30000);
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
}

INSTANTIATE_TEST_SUITE_P(EndsBy, ControllerExit, ::testing::Values("return", "kill"));

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
    library.showHideAllMenu(1, 1);
    library.showHideAllDropdownArrow(1, 1);
    std::fflush(stdout);
    if (std::string(mode) == "kill") TerminateProcess(GetCurrentProcess(), 0xDEAD);
    ExitProcess(0); // no uninstall, no restore, no clean-up
}

} // namespace
