// The mixed desktop as 64-bit Windows runs it: both stand-in shells call the hooks'
// thread of the controller of the other bitness before their frames see a sent
// message (--other-bitness-callbacks), and Wine itself holds each keystroke until
// the low-level hooks' threads have taken it. One 64-bit tarvikctl with its 32-bit
// companion starts, applies other settings and stops (and the app likewise, with Turn
// off and Exit); meanwhile keystrokes typed into a window of this program arrive at
// once, and the frames end as the settings say. (While the companion's hooks are in,
// Wine ends the 64-bit frames' hook chain at them, so the new settings reach only the
// 32-bit frames here.)
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>

#include "TarvikToolBar.h"
#include "app.h"
#include "child_process.h"
#include "foreground.h"
#include "keystroke_probe.h"
#include "library_under_test.h"
#include "mixed_frames.h"
#include "pages.h"
#include "pump.h"
#include "resource.h"

namespace {

using namespace mixedtest;
using tarvik::test::ChildProcess;
using tarvik::test::KeystrokeProbe;
using tarvik::test::kKeyHookTimeoutMs;
using tarvik::test::pumpUntil;
using tarvik::test::Typed;

constexpr DWORD kStartMs = 90000; // 32-bit programs start slowly under emulation
constexpr const char* kCallbacks = " --demo --other-bitness-callbacks";

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result);
    return static_cast<LRESULT>(result);
}

// A top-level window of the process, by class and title.
HWND windowOf(DWORD process, const char* className, const char* title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

class CallbackDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(i686Tree().empty()) << "TARVIK_I686_TREE names no i686 build tree";
        const std::string own = besideThisProgram("");
        // A folder per run: a DLL that processes of an earlier run still map cannot be replaced.
        folder_ = own + "callbacks-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        CreateDirectoryA((folder_ + "x86").c_str(), nullptr);
        for (const char* file : {"tarvikctl.exe", "tarvik.exe", TARVIK_DLL_NAME})
            ASSERT_TRUE(CopyFileA((own + file).c_str(), (folder_ + file).c_str(), FALSE));
        for (const char* file : {"tarvikctl.exe", "TarvikToolBar.dll"})
            ASSERT_TRUE(
                CopyFileA((i686Tree() + file).c_str(), (folder_ + "x86\\" + file).c_str(), FALSE));
        ASSERT_TRUE(shell64_.start(q(own + "standin_shell.exe") + kCallbacks));
        ASSERT_TRUE(shell32_.start(q(i686Tree() + "standin_shell.exe") + kCallbacks));
        ASSERT_TRUE(pumpUntil(
            [&] {
                frames64_ = framesOf(shell64_.id());
                frames32_ = framesOf(shell32_.id());
                return frames64_.explorer && frames64_.browser && frames32_.explorer &&
                       frames32_.browser;
            },
            kStartMs));
        ASSERT_TRUE(probe_.create());
    }

    bool all(bool (*shown)(HWND), bool expected) const {
        return BothShells{frames64_, frames32_}.all(shown, expected);
    }

    std::string states() const { return BothShells{frames64_, frames32_}.states(); }

    std::string folder_;
    ChildProcess shell64_, shell32_, ctl_;
    Frames frames64_, frames32_;
    KeystrokeProbe probe_;
};

TEST_F(CallbackDesktop, TarvikctlStartsAppliesAndStopsWithoutHoldingTheDesktop) {
    const std::string settings = folder_ + "settings.ini";
    std::ofstream(settings) << "[explorer]\nhide-logo = yes\nhide-menu = yes\n"
                               "[browser]\nhide-logo = yes\nhide-menu = yes\n";
    ASSERT_TRUE(pumpUntil([&] { return all(logoShown, true) && all(menuShown, true); }, kStartMs))
        << states();

    ASSERT_TRUE(ctl_.start(q(folder_ + "tarvikctl.exe") + " " + q(settings)));
    const Typed start = probe_.typeUntil(
        [&] {
            return ctl_.err().find("32-bit companion started") != std::string::npos &&
                   all(logoShown, false) && all(menuShown, false);
        },
        kStartMs);
    EXPECT_TRUE(start.done) << states() << ctl_.err();

    // Straight from the old settings to the new: the logo band never comes back.
    std::ofstream(settings, std::ios::trunc) << "[explorer]\nhide-logo = yes\n"
                                                "[browser]\nhide-logo = yes\n";
    ChildProcess reload;
    ASSERT_TRUE(reload.start(q(folder_ + "tarvikctl.exe") + " --reload"));
    bool logoBack = false;
    const Typed apply = probe_.typeUntil(
        [&] {
            logoBack = logoBack || logoShown(frames32_.explorer) || logoShown(frames32_.browser);
            return ctl_.err().find("applied again") != std::string::npos &&
                   menuShown(frames32_.explorer) && menuShown(frames32_.browser);
        },
        kStartMs);
    EXPECT_TRUE(apply.done) << states() << ctl_.err();
    EXPECT_TRUE(reload.waitForExit(kStartMs) && reload.exitCode() == 0) << reload.err();
    EXPECT_FALSE(logoBack) << "the 32-bit frames went through their native look";
    const std::string started = "32-bit companion started";
    EXPECT_EQ(ctl_.err().find(started), ctl_.err().rfind(started)) << "restarted\n" << ctl_.err();

    ChildProcess stop;
    ASSERT_TRUE(stop.start(q(folder_ + "tarvikctl.exe") + " --stop"));
    const Typed end = probe_.typeUntil(
        [&] { return WaitForSingleObject(stop.handle(), 0) == WAIT_OBJECT_0; }, kStartMs);
    EXPECT_TRUE(end.done);
    ASSERT_TRUE(stop.waitForExit(kStartMs));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    ASSERT_TRUE(ctl_.waitForExit(kStartMs));
    EXPECT_EQ(ctl_.err().find("did not end in time"), std::string::npos) << ctl_.err();
    EXPECT_TRUE(pumpUntil([&] { return all(logoShown, true) && all(menuShown, true); }, kStartMs))
        << states() << ctl_.err();

    for (const Typed* phase : {&start, &apply, &end}) {
        EXPECT_EQ(phase->heldTwice, 0) << "keystrokes held while tarvikctl "
                                       << (phase == &start   ? "started"
                                           : phase == &apply ? "applied again"
                                                             : "stopped");
        EXPECT_LT(phase->longest, kKeyHookTimeoutMs);
        std::printf("%d keystrokes, the slowest %lu ms\n", phase->strokes,
                    static_cast<unsigned long>(phase->longest));
    }
}

// Its output into a pipe that is not read: the thousands of commands it prints hold
// neither keystrokes nor the frames' calls, and --stop restores every frame meanwhile.
TEST_F(CallbackDesktop, TarvikctlWhoseOutputIsNotReadHoldsNothing) {
    const std::string settings = folder_ + "settings.ini";
    std::ofstream(settings) << "[explorer]\nhide-logo = yes\n[browser]\nhide-logo = yes\n";
    ctl_.holdOutput(true);
    ASSERT_TRUE(ctl_.start(q(folder_ + "tarvikctl.exe") + " " + q(settings)));
    HWND notify = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            DWORD owner = 0;
            notify = FindWindowExA(HWND_MESSAGE, nullptr, "TarvikCtlNotify", nullptr);
            GetWindowThreadProcessId(notify, &owner);
            return owner == ctl_.id() && all(logoShown, false) &&
                   ctl_.err().find("32-bit companion started") != std::string::npos;
        },
        kStartMs))
        << states() << ctl_.err();
    for (int id = 1; id <= 4000; ++id)
        ASSERT_TRUE(PostMessageA(notify, MSG_POPUP_COMMAND, id, 0));

    ChildProcess stop;
    ASSERT_TRUE(stop.start(q(folder_ + "tarvikctl.exe") + " --stop"));
    const Typed end = probe_.typeUntil(
        [&] { return WaitForSingleObject(stop.handle(), 0) == WAIT_OBJECT_0; }, kStartMs);
    EXPECT_TRUE(end.done);
    EXPECT_EQ(end.heldTwice, 0);
    EXPECT_LT(end.longest, kKeyHookTimeoutMs);
    std::printf("%d keystrokes, the slowest %lu ms\n", end.strokes,
                static_cast<unsigned long>(end.longest));
    ASSERT_TRUE(stop.waitForExit(kStartMs));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    ASSERT_TRUE(ctl_.waitForExit(kStartMs));
    EXPECT_EQ(ctl_.err().find("did not end in time"), std::string::npos) << ctl_.err();
    EXPECT_TRUE(pumpUntil([&] { return all(logoShown, true); }, kStartMs)) << states();
}

// The same for the app: Apply through its settings window, then Turn off and Exit
// from its notification icon's menu.
TEST_F(CallbackDesktop, TheAppStartsAppliesTurnsOffAndExitsWithoutHoldingTheDesktop) {
    using namespace tarvik_app;
    const std::string settings = folder_ + "settings.ini";
    std::ofstream(settings) << "[explorer]\nhide-logo = yes\nhide-menu = yes\n"
                               "[browser]\nhide-logo = yes\nhide-menu = yes\n";
    ASSERT_TRUE(pumpUntil([&] { return all(logoShown, true) && all(menuShown, true); }, kStartMs))
        << states();

    ChildProcess app;
    ASSERT_TRUE(app.start(q(folder_ + "tarvik.exe") + " --settings " + q(settings)));
    HWND tray = nullptr;
    const Typed start = probe_.typeUntil(
        [&] {
            tray = windowOf(app.id(), kTrayClass, kAppTitle);
            return tray != nullptr && all(logoShown, false) && all(menuShown, false);
        },
        kStartMs);
    EXPECT_TRUE(start.done) << states();
    ASSERT_NE(tray, nullptr);

    // Apply with the menu bands shown: the 32-bit frames go there without a restart.
    PostMessageA(tray, WM_COMMAND, IDM_SETTINGS, 0);
    HWND sheet = nullptr;
    ASSERT_TRUE(
        pumpUntil([&] { return (sheet = windowOf(app.id(), "#32770", kSheetTitle)); }, kStartMs));
    for (PageIndex index : {kExplorerPage, kBrowserPage}) {
        send(sheet, PSM_SETCURSEL, index);
        send(GetDlgItem(reinterpret_cast<HWND>(send(sheet, PSM_GETCURRENTPAGEHWND)), IDC_HIDE_MENU),
             BM_CLICK);
    }
    ASSERT_TRUE(tarvik::test::bringToForeground(probe_.window(), 30000));
    // What the button tells the sheet, without the click's activation of the sheet.
    PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDC_SHEET_APPLY, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDC_SHEET_APPLY)));
    bool logoBack = false;
    const Typed apply = probe_.typeUntil(
        [&] {
            logoBack = logoBack || logoShown(frames32_.explorer) || logoShown(frames32_.browser);
            return menuShown(frames32_.explorer) && menuShown(frames32_.browser);
        },
        kStartMs);
    EXPECT_TRUE(apply.done) << states();
    EXPECT_FALSE(logoBack) << "the 32-bit frames went through their native look";
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(sheet); }, kStartMs));

    PostMessageA(tray, WM_COMMAND, IDM_TOGGLE, 0);
    const Typed off =
        probe_.typeUntil([&] { return all(logoShown, true) && all(menuShown, true); }, kStartMs);
    EXPECT_TRUE(off.done) << states();

    PostMessageA(tray, WM_COMMAND, IDM_EXIT, 0);
    const Typed exit = probe_.typeUntil(
        [&] { return WaitForSingleObject(app.handle(), 0) == WAIT_OBJECT_0; }, kStartMs);
    EXPECT_TRUE(exit.done);
    EXPECT_TRUE(all(logoShown, true) && all(menuShown, true)) << states();

    for (const Typed* phase : {&start, &apply, &off, &exit}) {
        EXPECT_EQ(phase->heldTwice, 0) << "keystrokes held in phase " << (phase - &start);
        EXPECT_LT(phase->longest, kKeyHookTimeoutMs);
        std::printf("%d keystrokes, the slowest %lu ms\n", phase->strokes,
                    static_cast<unsigned long>(phase->longest));
    }
}

} // namespace
