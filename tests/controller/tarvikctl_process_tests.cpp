// tarvikctl run as a process, as a user runs it: the exit code and the
// messages for every kind of bad input, never a fault; --check; a whole
// --once session seen through the library's shared block; popup commands
// posted to its notify window and a WM_CLOSE that makes it undo and exit; output
// into a pipe that is not read.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "TarvikToolBar.h"
#include "child_process.h"
#include "keystroke_probe.h"
#include "lane.h"
#include "library_under_test.h"
#include "pump.h"
#include "recorder.h"
#include "sequence.h"
#include "session.h"
#include "tarvikctl_process.h"
#include "temp_folder.h"
#include "test_images.h"

using tarvik::test::ChildProcess;
using tarvik::test::findNotifyWindow;
using tarvik::test::isExceptionCode;
using tarvik::test::ProcessRun;
using tarvik::test::quoted;
using tarvik::test::runProcess;
using tarvik::test::TempFolder;
using tarvik::test::writeFile;

namespace {

const DWORD kRunTimeoutMs = tarvik::test::laneWaitMs(10000);
constexpr int kExitUsage = 1, kExitSettings = 2, kExitIcons = 3, kExitLibrary = 4;
// The library's own message to frames when the hooks come out.
constexpr UINT kStopTimers = 0x0DE3;

std::string controller() {
    return tarvik::test::tarvikctlPath();
}
std::string example() {
    return tarvik::test::tarvikctlExample();
}

ProcessRun runController(const std::string& arguments, const std::string& program = controller()) {
    return runProcess(quoted(program) + " " + arguments, kRunTimeoutMs);
}

// The run ended by itself with `code`, and said `text` on stderr.
void expectExit(const ProcessRun& run, DWORD code, const std::string& text) {
    ASSERT_TRUE(run.started) << run.err;
    ASSERT_TRUE(run.ended) << "still running after " << kRunTimeoutMs << " ms";
    EXPECT_FALSE(isExceptionCode(run.exitCode)) << std::hex << "crashed with 0x" << run.exitCode;
    EXPECT_EQ(run.exitCode, code) << "stderr: " << run.err << "\nstdout: " << run.out;
    EXPECT_NE(run.err.find(text), std::string::npos)
        << "expected on stderr: " << text << "\ngot: " << run.err;
}

// The library's shared block as this process maps it: it outlives the
// controller because this process keeps the DLL loaded.
class TarvikctlSession : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library_.load(&error)) << error;
        shared_ = library_.shared;
        scribble();
    }
    void TearDown() override {
        for (HWND frame : frames_)
            DestroyWindow(frame);
        library_.unload();
    }

    // Values no run leaves behind, so that every check below sees a fresh write.
    void scribble() {
        std::strcpy(shared_->popupTitle, "stale");
        std::strcpy(shared_->menuBarItemText, "stale");
        shared_->popupItemCount = 0;
        shared_->popupEnabled = 0;
        shared_->largeIconSize = shared_->smallIconSize = 0;
        for (int kind = 0; kind < 2; ++kind)
            shared_->hideLogo[kind] = shared_->hideMenu[kind] = shared_->hideHeader[kind] =
                shared_->hideDropdown[kind] = 7;
        for (int slot = 0; slot < TARVIK_ICON_SLOTS; ++slot)
            shared_->largeIcons[slot] = shared_->largeHotIcons[slot] = shared_->smallIcons[slot] =
                shared_->smallHotIcons[slot] = reinterpret_cast<HICON>(0x5EED);
        shared_->inactive = 5;
    }

    bool hooksIn() const {
        return shared_->hookCallWndProc && shared_->hookCallWndProcRet && shared_->hookGetMessage &&
               shared_->hookMouse && shared_->hookKeyboard && shared_->hookKeyboardLL;
    }
    bool hooksOut() const {
        return !shared_->hookCallWndProc && !shared_->hookCallWndProcRet &&
               !shared_->hookGetMessage && !shared_->hookMouse && !shared_->hookKeyboard &&
               !shared_->hookKeyboardLL;
    }

    // Waits until a running controller has installed and applied everything.
    bool applied(DWORD timeoutMs = kRunTimeoutMs) {
        return tarvik::test::pumpUntil(
            [&] { return hooksIn() && shared_->inactive == 0 && shared_->hideDropdown[1] != 7; },
            timeoutMs);
    }

    void expectUndone(const ChildProcess& child) {
        EXPECT_EQ(child.exitCode(), 0u) << child.err();
        EXPECT_TRUE(hooksOut()) << "every hook removed";
        EXPECT_EQ(shared_->inactive, 1);
        EXPECT_EQ(shared_->restoring, 0);
        EXPECT_EQ(shared_->popupEnabled, 0) << "uninstalling drops the menu";
        const std::string err = child.err();
        const std::size_t installed = err.find("hooks installed");
        const std::size_t restored = err.find("tarvikctl: restored");
        const std::size_t removed = err.find("hooks removed");
        EXPECT_NE(installed, std::string::npos) << err;
        EXPECT_NE(restored, std::string::npos) << err;
        EXPECT_NE(removed, std::string::npos) << err;
        EXPECT_LT(installed, restored);
        EXPECT_LT(restored, removed);
    }

    // A bare top-level window of a frame class, destroyed after the test.
    HWND makeFrame(const char* className) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        HWND frame = CreateWindowExA(0, className, "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
        if (frame != nullptr) frames_.push_back(frame);
        return frame;
    }

    LibraryUnderTest library_;
    SharedState* shared_ = nullptr;
    std::vector<HWND> frames_;
};

TEST(TarvikctlProcess, CommandLineAndSettingsErrors) {
    const ProcessRun help = runController("--help");
    ASSERT_TRUE(help.ended);
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("usage: tarvikctl"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--icon-handles"), std::string::npos);
    EXPECT_NE(help.out.find("--replace"), std::string::npos);
    const ProcessRun version = runController("--version");
    ASSERT_TRUE(version.ended);
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_EQ(version.out, "tarvikctl " TARVIK_VERSION "\n") << "the project's version";

    expectExit(runController(""), kExitUsage, "tarvikctl: error: no settings file given");
    expectExit(runController("--bogus a.ini"), kExitUsage, "error: unknown option --bogus");
    expectExit(runController("--hold 10 a.ini"), kExitUsage, "error: --hold needs --once");
    expectExit(runController("--once --hold 1x a.ini"), kExitUsage, "--hold takes 0..");
    expectExit(runController("--once --hold"), kExitUsage, "--hold needs a number");
    expectExit(runController("a.ini b.ini"), kExitUsage, "more than one settings file");
    expectExit(runController("--stop a.ini"), kExitUsage, "--stop takes no settings file");
    expectExit(runController("--check --replace a.ini"), kExitUsage,
               "--check and --replace exclude each other");

    TempFolder folder;
    const std::string missing = folder.file("missing.ini");
    expectExit(runController(quoted(missing)), kExitSettings,
               "tarvikctl: error: " + missing + ": cannot open the settings file");

    const std::string bad = folder.file("bad.ini");
    ASSERT_TRUE(writeFile(bad, std::string("[explorer]\nhide-logo = yes\nhide-menu = maybe\n")));
    expectExit(runController(quoted(bad)), kExitSettings,
               "tarvikctl: error: " + bad + ":3: 'maybe' is not a boolean");
    const std::string tooMany = folder.file("many.ini");
    std::string items = "[menu]\ntitle = t\n";
    for (int i = 1; i <= 9; ++i)
        items += "item = " + std::to_string(i) + ", entry\n";
    ASSERT_TRUE(writeFile(tooMany, items));
    expectExit(runController("--check " + quoted(tooMany)), kExitSettings,
               tooMany + ":11: more than 8 items");

    // Random bytes as a settings file: an error with the file's name, never a fault.
    std::mt19937 random(99);
    for (int round = 0; round < 6; ++round) {
        std::vector<std::uint8_t> bytes(1 + random() % 300);
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        const std::string path = folder.file("random" + std::to_string(round) + ".ini");
        ASSERT_TRUE(writeFile(path, bytes));
        expectExit(runController("--check " + quoted(path)), kExitSettings,
                   "tarvikctl: error: " + path + ":");
    }
}

TEST(TarvikctlProcess, IconProblemsFailBeforeAnythingIsInstalled) {
    TempFolder folder;
    const std::string ini = folder.file("t.ini");
    ASSERT_TRUE(writeFile(ini, std::string("[icons]\nfolder = pics\n")));

    const std::string garbage = folder.file("pics\\02.ico");
    ASSERT_TRUE(writeFile(garbage, std::string("\0\0\1\0\1\0not an icon directory", 27)));
    expectExit(runController(quoted(ini)), kExitIcons, "tarvikctl: error: " + garbage + ": ");

    ASSERT_TRUE(
        writeFile(garbage, tarvik::test::makeIco({16}, [](int, int) { return 0xFF0000FFu; })));
    HANDLE hold = CreateFileA(garbage.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    const ProcessRun locked = runController("--check " + quoted(ini));
    CloseHandle(hold);
    expectExit(locked, kExitIcons, garbage + ": cannot open (");

    const std::string stripIni = folder.file("s.ini");
    const std::string strip = folder.file("strip.bmp");
    ASSERT_TRUE(writeFile(stripIni, std::string("[icons]\nstrip = strip.bmp\n")));
    expectExit(runController(quoted(stripIni)), kExitIcons, strip + ": cannot open (");
    auto bytes = tarvik::test::makeBmp(32, 16, [](int, int) { return 0xFF00FF00u; });
    bytes[28] = 16; // bits per pixel
    ASSERT_TRUE(writeFile(strip, bytes));
    expectExit(runController(quoted(stripIni)), kExitIcons,
               strip + ": the BMP has 16 bits per pixel (use 24 or 32)");

    const std::string handles = folder.file("handles.txt");
    ASSERT_TRUE(writeFile(handles, std::string("icon 70 1 2 3 4\n")));
    expectExit(runController("--icon-handles " + quoted(handles) + " " + quoted(example())),
               kExitIcons, handles + ":1: '70' is not a slot 0..63");
    expectExit(runController("--icon-handles " + quoted(folder.file("none.txt")) + " " +
                             quoted(example())),
               kExitIcons, folder.file("none.txt") + ": cannot open the icon handle file");
}

TEST(TarvikctlProcess, MissingLibraryOrExportIsNamed) {
    TempFolder folder;
    const std::string alone = folder.file("tarvikctl.exe");
    ASSERT_TRUE(CopyFileA(controller().c_str(), alone.c_str(), FALSE));
    expectExit(runController(quoted(example()), alone), kExitLibrary,
               "tarvikctl: error: " + folder.file(TARVIK_DLL_NAME) + ": cannot load the library");
    // --check needs no library.
    const ProcessRun check = runController("--check " + quoted(example()), alone);
    EXPECT_EQ(check.exitCode, 0u) << check.err;

    ASSERT_TRUE(CopyFileA(besideThisProgram("partial_library.dll").c_str(),
                          folder.file(TARVIK_DLL_NAME).c_str(), FALSE));
    expectExit(runController(quoted(example()), alone), kExitLibrary,
               "tarvikctl: error: " + folder.file(TARVIK_DLL_NAME) +
                   ": the library has no export installHook_EXPIE");
}

TEST(TarvikctlProcess, CheckAcceptsTheExamples) {
    const ProcessRun folder = runController("--check " + quoted(example()));
    ASSERT_TRUE(folder.ended);
    EXPECT_EQ(folder.exitCode, 0u) << folder.err;
    EXPECT_EQ(folder.out, example() + ": ok, 12 icon slots\n");
    EXPECT_EQ(folder.err, "");

    const std::string stripExample = besideThisProgram("examples\\tarvik-strip.ini");
    const ProcessRun strip = runController("--check " + quoted(stripExample));
    EXPECT_EQ(strip.exitCode, 0u) << strip.err;
    EXPECT_EQ(strip.out, stripExample + ": ok, 12 icon slots\n");

    const ProcessRun quiet = runController("--check --quiet " + quoted(example()));
    EXPECT_EQ(quiet.exitCode, 0u);
    EXPECT_EQ(quiet.out + quiet.err, "");
}

// Frames in this process hear the library's messages in the order the
// controller called it: applies first, restores with the toolbar last, the
// taskbar's step, then the uninstall's timer stop.
TEST_F(TarvikctlSession, OnceInstallsAppliesRestoresAndUninstalls) {
    HWND explorer = makeFrame("CabinetWClass");
    HWND browser = makeFrame("IEFrame");
    ASSERT_TRUE(explorer && browser);
    tarvik::test::RecorderConfig config;
    for (UINT message :
         {UINT{MSG_SET_ICONS}, UINT{MSG_SET_LOGO}, UINT{MSG_SET_MENUBAR}, UINT{MSG_SET_HEADERS},
          UINT{MSG_SET_DROPDOWNS}, UINT{MSG_RESTORE_ICONS}, kStopTimers})
        config.recordOnly(message);
    tarvik::test::MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(explorer));
    ASSERT_TRUE(recorder.attach(browser));

    ChildProcess child;
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(child.start(quoted(controller()) + " --once --hold 400 " + quoted(example())));
    // Pumping: the library waits for each frame to answer.
    ASSERT_TRUE(tarvik::test::pumpUntilSignalled(child.handle(), kRunTimeoutMs));
    ASSERT_TRUE(child.waitForExit(0));
    EXPECT_GE(GetTickCount64() - started, 400u) << "the hold is kept";
    expectUndone(child);
    EXPECT_EQ(child.out(), "");
    EXPECT_NE(child.err().find("applied: 12 icon slots (24 and 16 px), menu extended"),
              std::string::npos)
        << child.err();

    for (auto [frame, kind] : {std::pair{explorer, 1}, std::pair{browser, 2}}) {
        using tarvik::test::msg;
        std::vector<tarvik::test::Expected> expected = {
            msg(MSG_SET_ICONS).wparam(1).lparam(kind),
            msg(MSG_SET_LOGO).wparam(1).lparam(kind),
            msg(MSG_SET_MENUBAR).wparam(1).lparam(kind),
            msg(MSG_SET_HEADERS).wparam(1).lparam(kind),
            msg(MSG_SET_DROPDOWNS).wparam(1).lparam(kind),
            msg(MSG_SET_LOGO).wparam(2).lparam(kind),
            msg(MSG_SET_MENUBAR).wparam(2).lparam(kind),
            msg(MSG_SET_HEADERS).wparam(2).lparam(kind),
            msg(MSG_SET_DROPDOWNS).wparam(2).lparam(kind),
            msg(MSG_SET_ICONS).wparam(2).lparam(kind),
            msg(kStopTimers),
        };
        // The taskbar is Wine's, in another process: this process's Explorer frame is asked
        // for the taskbar's step for this process's lists, after every frame's restore.
        if (kind == 1) expected.insert(expected.end() - 1, msg(MSG_RESTORE_ICONS).wparam(0));
        const auto match = tarvik::test::matchSequence(recorder.recordsFor(frame), expected);
        EXPECT_TRUE(match) << (kind == 1 ? "explorer frame\n" : "browser frame\n") << match.report;
    }
    recorder.detachAll();
}

TEST_F(TarvikctlSession, AppliedSettingsReachTheLibrary) {
    ChildProcess child;
    ASSERT_TRUE(child.start(quoted(controller()) + " --once --hold 600000 " + quoted(example())));
    ASSERT_TRUE(applied()) << child.err();
    HWND window = findNotifyWindow(child.id(), kRunTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shared_->notifyWindow, window);

    EXPECT_EQ(shared_->largeIconSize, 24);
    EXPECT_EQ(shared_->smallIconSize, 16);
    for (int slot = 0; slot < 12; ++slot) {
        EXPECT_NE(shared_->largeIcons[slot], nullptr) << slot;
        EXPECT_NE(shared_->largeHotIcons[slot], nullptr) << slot;
        EXPECT_NE(shared_->smallIcons[slot], nullptr) << slot;
        EXPECT_NE(shared_->smallHotIcons[slot], nullptr) << slot;
        EXPECT_NE(shared_->largeIcons[slot], reinterpret_cast<HICON>(0x5EED)) << slot;
    }
    for (int slot = 12; slot < TARVIK_ICON_SLOTS; ++slot)
        EXPECT_EQ(shared_->largeIcons[slot], nullptr) << "slots past the set are cleared";
    // explorer, browser
    EXPECT_EQ(shared_->hideLogo[0], 1);
    EXPECT_EQ(shared_->hideLogo[1], 1);
    EXPECT_EQ(shared_->hideMenu[0], 0);
    EXPECT_EQ(shared_->hideMenu[1], 1);
    EXPECT_EQ(shared_->hideHeader[0], 1);
    EXPECT_EQ(shared_->hideHeader[1], 0);
    EXPECT_EQ(shared_->hideDropdown[0], 0);
    EXPECT_EQ(shared_->hideDropdown[1], 1);
    EXPECT_EQ(shared_->popupEnabled, 1);
    EXPECT_STREQ(shared_->popupTitle, "Tarvik");
    EXPECT_STREQ(shared_->menuBarItemText, "Menu bar");
    ASSERT_EQ(shared_->popupItemCount, 4);
    EXPECT_EQ(shared_->popupItemIds[0], 40001);
    EXPECT_EQ(shared_->popupItemIds[1], 40002);
    EXPECT_EQ(shared_->popupItemIds[2], -1);
    EXPECT_EQ(shared_->popupItemIds[3], 40003);
    EXPECT_STREQ(shared_->popupItemTexts[0], "Open settings");
    EXPECT_STREQ(shared_->popupItemTexts[3], "About TarvikToolBar");

    // WM_CLOSE ends the ten-minute hold at once and still undoes everything.
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(child.waitForExit(kRunTimeoutMs));
    expectUndone(child);
}

TEST_F(TarvikctlSession, IconHandlesFromAFileArePassedThrough) {
    TempFolder folder;
    const std::string handles = folder.file("handles.txt");
    ASSERT_TRUE(writeFile(handles, std::string("large-size 32\n"
                                               "icon 0 0x1234 0x5678 0x9abc 0xdef0\n"
                                               "icon 3 66 0 0 0\n")));
    ChildProcess child;
    ASSERT_TRUE(child.start(quoted(controller()) + " --once --hold 8000 --icon-handles " +
                            quoted(handles) + " " + quoted(example())));
    ASSERT_TRUE(applied()) << child.err();
    EXPECT_EQ(shared_->largeIcons[0], reinterpret_cast<HICON>(0x1234));
    EXPECT_EQ(shared_->largeHotIcons[0], reinterpret_cast<HICON>(0x5678));
    EXPECT_EQ(shared_->smallIcons[0], reinterpret_cast<HICON>(0x9abc));
    EXPECT_EQ(shared_->smallHotIcons[0], reinterpret_cast<HICON>(0xdef0));
    EXPECT_EQ(shared_->largeIcons[3], reinterpret_cast<HICON>(66));
    EXPECT_EQ(shared_->largeIcons[1], nullptr);
    EXPECT_EQ(shared_->largeIcons[12], nullptr);
    EXPECT_EQ(shared_->largeIconSize, 32) << "from the handle file";
    EXPECT_EQ(shared_->smallIconSize, 16) << "from the settings";

    HWND window = findNotifyWindow(child.id(), kRunTimeoutMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(child.waitForExit(kRunTimeoutMs));
    expectUndone(child);
    EXPECT_NE(child.err().find("applied: 2 icon slots (32 and 16 px)"), std::string::npos)
        << child.err();
}

TEST_F(TarvikctlSession, PrintsPopupCommandsUntilClosed) {
    ChildProcess child;
    ASSERT_TRUE(child.start(quoted(controller()) + " " + quoted(example())));
    ASSERT_TRUE(child.waitForOutput("running;", 5000, true)) << child.err();
    HWND window = findNotifyWindow(child.id(), kRunTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(shared_->notifyWindow, window) << "the window the library posts to";

    ASSERT_TRUE(PostMessageA(window, MSG_POPUP_COMMAND, 40001, 0));
    ASSERT_TRUE(PostMessageA(window, MSG_POPUP_COMMAND, 40003, 0));
    ASSERT_TRUE(PostMessageA(window, MSG_POPUP_COMMAND, 12345, 0));
    const std::string expected = "command 40001 (Open settings)\n"
                                 "command 40003 (About TarvikToolBar)\n"
                                 "command 12345\n";
    EXPECT_TRUE(child.waitForOutput(expected, 5000)) << child.out();
    EXPECT_EQ(child.out(), expected);
    EXPECT_TRUE(hooksIn()) << "still installed while running";

    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(child.waitForExit(kRunTimeoutMs)) << child.err();
    expectUndone(child);
    EXPECT_FALSE(IsWindow(window));
}

// Ctrl+C arrives on another thread; the undo must still run on the pumping one.
TEST_F(TarvikctlSession, CtrlCMakesItUndoAndExit) {
    ChildProcess child;
    // Its own console, so that this process can send Ctrl+C to it alone.
    ASSERT_TRUE(child.start(quoted(controller()) + " " + quoted(example()), CREATE_NEW_CONSOLE));
    ASSERT_TRUE(child.waitForOutput("running;", 5000, true)) << child.err();
    ASSERT_TRUE(hooksIn());

    FreeConsole();
    ASSERT_TRUE(AttachConsole(child.id()));
    SetConsoleCtrlHandler(nullptr, TRUE); // not for this process
    const BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    ASSERT_TRUE(sent);

    ASSERT_TRUE(child.waitForExit(kRunTimeoutMs)) << child.err();
    expectUndone(child);
}

// Commands posted while stdout goes into a pipe that is not read: keystrokes typed
// meanwhile arrive, once read the lines kept and the number dropped are there, and a
// --stop while a write waits undoes everything and ends it.
TEST_F(TarvikctlSession, OutputThatIsNotReadHoldsNeitherKeystrokesNorAStop) {
    constexpr int kCommands = 4000, kStrokes = 12;
    tarvik::test::KeystrokeProbe probe;
    ASSERT_TRUE(probe.create());
    ChildProcess child;
    child.holdOutput(true);
    ASSERT_TRUE(child.start(quoted(controller()) + " --no-companion " + quoted(example())));
    ASSERT_TRUE(child.waitForOutput("running;", kRunTimeoutMs, true)) << child.err();
    HWND window = findNotifyWindow(child.id(), kRunTimeoutMs);
    ASSERT_NE(window, nullptr);
    auto expectNotHeld = [](const tarvik::test::Typed& typed, const char* phase) {
        EXPECT_EQ(typed.heldTwice, 0) << phase;
        EXPECT_LT(typed.longest, tarvik::test::kKeyHookTimeoutMs) << phase;
        std::printf("%s: %d keystrokes, the slowest %lu ms\n", phase, typed.strokes,
                    static_cast<unsigned long>(typed.longest));
    };
    auto post = [&](int first) {
        for (int id = first; id < first + kCommands; ++id)
            ASSERT_TRUE(PostMessageA(window, MSG_POPUP_COMMAND, id, 0));
    };
    post(1);
    // Taken in order: once it has applied again, every command is in its output.
    ChildProcess reload;
    ASSERT_TRUE(reload.start(quoted(controller()) + " --reload"));
    int strokes = 0;
    const tarvik::test::Typed posted = probe.typeUntil(
        [&] {
            return strokes++ >= kStrokes && child.err().find("applied again") != std::string::npos;
        },
        kRunTimeoutMs * 6);
    EXPECT_TRUE(posted.done) << child.err();
    expectNotHeld(posted, "posting");

    child.holdOutput(false);
    ASSERT_TRUE(child.waitForOutput("command 4000\n", kRunTimeoutMs)) << child.out().size();
    // The oldest lines, then the notice at their end, then the newest up to the last.
    std::istringstream lines(child.out());
    int expected = 1, dropped = -1;
    for (std::string line; std::getline(lines, line);) {
        if (std::sscanf(line.c_str(), "tarvikctl: warning: %d lines dropped here", &dropped) == 1) {
            EXPECT_GT(dropped, 0);
            expected += dropped;
        } else {
            ASSERT_EQ(line, "command " + std::to_string(expected++)) << child.out().size();
        }
    }
    EXPECT_EQ(expected, kCommands + 1);
    EXPECT_GT(dropped, 0) << "the pipe held them all";
    std::printf("%d lines dropped\n", dropped);

    child.holdOutput(true);
    post(kCommands + 1);
    ChildProcess stop;
    ASSERT_TRUE(stop.start(quoted(controller()) + " --stop"));
    const tarvik::test::Typed stopping = probe.typeUntil(
        [&] { return WaitForSingleObject(stop.handle(), 0) == WAIT_OBJECT_0; }, kRunTimeoutMs * 6);
    EXPECT_TRUE(stopping.done);
    expectNotHeld(stopping, "stopping");
    ASSERT_TRUE(stop.waitForExit(0));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    ASSERT_TRUE(child.waitForExit(kRunTimeoutMs));
    expectUndone(child);
}

} // namespace
