// One 64-bit tarvikctl and its 32-bit companion on the mixed desktop, with a stand-in
// shell of each bitness: both kinds of frame are restyled and restored, a command
// chosen in a 32-bit frame reaches the 64-bit tarvikctl, an Alt tap makes one toggle
// request to a frame of either kind, and a companion whose parent was killed restores
// by itself.
// Wine calls a global hook in the thread that takes the event and ends the hook chain
// there when the hook's DLL cannot be loaded (another bitness): while the companion's
// hooks are in, this bitness's call-window hook no longer runs in its frames. So the
// 64-bit frames are restyled before the companion starts and restored after it ended,
// and during its run the 64-bit frame's toggle requests are counted, not watched.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <string>

#include "TarvikToolBar.h"
#include "child_process.h"
#include "foreground.h"
#include "hooks/hooks.h"
#include "library_under_test.h"
#include "mixed_frames.h"
#include "pump.h"
#include "real_input.h"
#include "standin/client.h"
#include "state/shared_state.h"

namespace {

using tarvik::test::ChildProcess;
using tarvik::test::pumpUntil;
using namespace mixedtest;

constexpr DWORD kStartMs = 60000; // 32-bit programs start under emulation
constexpr DWORD kStateMs = 30000;
constexpr int kCommandId = 40001;

bool altTap() {
    return hooktest::keyDown(VK_MENU) && hooktest::keyUp(VK_MENU);
}

class Companion : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(i686Tree().empty()) << "TARVIK_I686_TREE names no i686 build tree";
        // tarvikctl as the win64 archive lays it out: the 32-bit pair in x86\ beside it.
        const std::string own = besideThisProgram("");
        // A folder per case: a DLL the last case's processes still map cannot be replaced.
        folder_ = own + "companion-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        CreateDirectoryA((folder_ + "x86").c_str(), nullptr);
        for (const char* file : {"tarvikctl.exe", TARVIK_DLL_NAME})
            ASSERT_TRUE(CopyFileA((own + file).c_str(), (folder_ + file).c_str(), FALSE));
        for (const char* file : {"tarvikctl.exe", "TarvikToolBar.dll"})
            ASSERT_TRUE(
                CopyFileA((i686Tree() + file).c_str(), (folder_ + "x86\\" + file).c_str(), FALSE));
        std::ofstream(folder_ + "settings.ini") << "[explorer]\nhide-logo = yes\nhide-menu = yes\n"
                                                   "[browser]\nhide-logo = yes\nhide-menu = yes\n"
                                                   "[menu]\ntitle = Tools\nitem = 40001, Hello\n";
        // The 64-bit frames in a host this test drives; the 32-bit ones in the demo scene.
        ASSERT_TRUE(shell64_.start()) << shell64_.lastError();
        standin::FrameOptions browser;
        browser.frameClass = standin::FrameClass::Browser;
        browser.x = 500;
        auto explorer64 = shell64_.createFrame();
        auto browser64 = shell64_.createFrame(browser);
        ASSERT_TRUE(explorer64 && browser64);
        frames64_ = {explorer64->frame, browser64->frame};
        ASSERT_TRUE(shell32_.start(q(i686Tree() + "standin_shell.exe") + " --demo"));
        ASSERT_TRUE(pumpUntil([&] { return framesReady(); }, kStartMs));
    }

    bool framesReady() {
        frames32_ = framesOf(shell32_.id());
        return frames64_.explorer && frames64_.browser && frames32_.explorer && frames32_.browser;
    }

    bool all(bool (*shown)(HWND), bool expected) const {
        return BothShells{frames64_, frames32_}.all(shown, expected);
    }

    // Logo and menu band of each frame, for a failure's message.
    std::string states() const { return BothShells{frames64_, frames32_}.states(); }

    void startController() {
        ASSERT_TRUE(ctl_.start(q(folder_ + "tarvikctl.exe") + " " + q(folder_ + "settings.ini")));
        ASSERT_TRUE(ctl_.waitForOutput("32-bit companion started", kStartMs, true)) << ctl_.err();
        ASSERT_TRUE(pumpUntil([&] { return all(logoShown, false); }, kStateMs))
            << "logo bands not hidden in every frame\n"
            << ctl_.err();
    }

    // The companion's process id, as the parent announced it.
    DWORD companionId() {
        const std::string err = ctl_.err();
        const auto at = err.find("companion started (process ");
        return at == err.npos ? 0 : std::strtoul(err.c_str() + at + 27, nullptr, 10);
    }

    std::string folder_;
    standin::RemoteShell shell64_;
    ChildProcess shell32_, ctl_;
    Frames frames64_, frames32_;
};

TEST_F(Companion, RestylesBothKindsRoutesCommandsTogglesOnceAndRestores) {
    ASSERT_TRUE(pumpUntil([&] { return all(logoShown, true) && all(menuShown, true); }, kStateMs))
        << states();
    startController();
    EXPECT_TRUE(pumpUntil([&] { return all(menuShown, false); }, kStateMs)) << states();

    PostMessageA(workerOf(frames32_.explorer), WM_COMMAND, kCommandId, 0);
    EXPECT_TRUE(ctl_.waitForOutput("command 40001 (Hello)", kStateMs)) << ctl_.out();

    // Both controllers' low-level hooks see the tap; each sends only to a frame of its
    // own bitness, so a frame toggles once.
    ASSERT_TRUE(tarvik::test::bringToForeground(frames32_.browser, 10000));
    ASSERT_TRUE(altTap());
    EXPECT_TRUE(pumpUntil([&] { return menuShown(frames32_.browser); }, kStateMs)) << states();
    tarvik::test::pumpFor(1000);
    EXPECT_TRUE(menuShown(frames32_.browser)) << "the Alt tap toggled the band twice";
    // As 64-bit Windows calls the 64-bit low-level hook for that tap: this process's copy
    // of the library, with the 32-bit frame in front, asks it for nothing.
    sharedState.hideMenu[0] = sharedState.hideMenu[1] = 1;
    KBDLLHOOKSTRUCT key{VK_MENU, 0, 0, 0, 0};
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYDOWN, reinterpret_cast<LPARAM>(&key));
    key.flags = LLKHF_UP;
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYUP, reinterpret_cast<LPARAM>(&key));
    tarvik::test::pumpFor(1500);
    EXPECT_TRUE(menuShown(frames32_.browser)) << "a 64-bit hook toggled a 32-bit frame";
    // The 64-bit frame cannot act on it here (see the note on the hook chain above):
    // the toggle requests it receives are counted. Two would be the double toggle; under
    // Wine the companion's low-level hook, first in the chain, also ends it, so the
    // parent's request does not come either, and the count tells that the companion sent
    // none.
    tarvik::test::RecorderConfig only;
    ASSERT_TRUE(shell64_.startRecording({frames64_.browser}, only.recordOnly(MSG_TOGGLE_MENUBAR)));
    ASSERT_TRUE(tarvik::test::bringToForeground(frames64_.browser, 10000));
    ASSERT_TRUE(altTap());
    tarvik::test::pumpFor(3000);
    EXPECT_LE(shell64_.records()->size(), 1u) << "toggle requests the 64-bit frame received";

    ChildProcess stop;
    ASSERT_TRUE(stop.start(q(folder_ + "tarvikctl.exe") + " --stop"));
    ASSERT_TRUE(stop.waitForExit(kStartMs));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    ASSERT_TRUE(ctl_.waitForExit(kStateMs));
    EXPECT_TRUE(all(logoShown, true) && all(menuShown, true)) << states() << ctl_.err();
}

TEST_F(Companion, RestoresTheThirtyTwoBitFramesWhenItsParentIsKilled) {
    startController();
    const DWORD id = companionId();
    ASSERT_NE(id, 0u) << ctl_.err();
    HANDLE companion = OpenProcess(SYNCHRONIZE, FALSE, id);
    ASSERT_NE(companion, nullptr);
    TerminateProcess(ctl_.handle(), 1);
    EXPECT_EQ(WaitForSingleObject(companion, kStateMs), WAIT_OBJECT_0);
    CloseHandle(companion);
    EXPECT_TRUE(logoShown(frames32_.explorer) && logoShown(frames32_.browser));
    // The 64-bit side died without restoring: its frames keep the restyling.
    EXPECT_FALSE(logoShown(frames64_.explorer));
}

} // namespace
