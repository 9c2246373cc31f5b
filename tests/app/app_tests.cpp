// tarvik.exe as a user meets it, driven through its real windows by control ids:
// the settings window's Apply (file and stand-in frames), Cancel, a bad icon file,
// start at logon, a second start, the endings, a menu entry that opens a program,
// a settings file that cannot be read at start, and a file and a program that take
// seconds.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "child_process.h"
#include "lane_windows.h"
#include "keystroke_probe.h"
#include "library_under_test.h"
#include "pages.h"
#include "lane.h"
#include "pump.h"
#include "resource.h"
#include "session.h"
#include "settings.h"
#include "standin/client.h"
#include "startup.h"
#include "temp_folder.h"
#include "tray_recorder.h"
#include "test_images.h"

using tarvik::test::ChildProcess;
using tarvik::test::pumpUntil;
using tarvik::test::readWholeFile;
using tarvik::test::TempFolder;
using tarvik::test::writeFile;
using namespace tarvik_app;

namespace {

const DWORD kWaitMs = tarvik::test::laneWaitMs(10000);
const DWORD kSendMs = tarvik::test::laneWaitMs(5000);
constexpr int kMarkerId = 41000;

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result);
    return static_cast<LRESULT>(result);
}

struct Search {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

// A top-level window of the process, by class and title.
HWND windowOf(DWORD processId, const char* className, const char* title) {
    Search search{processId, className, title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) CALLBACK -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[64] = {}, text[128] = {};
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, text, sizeof text);
            if (owner != s.processId || std::string(name) != s.className ||
                std::string(text) != s.title)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitWindow(DWORD processId, const char* className, const char* title) {
    HWND found = nullptr;
    pumpUntil([&] { return (found = windowOf(processId, className, title)) != nullptr; }, kWaitMs);
    return found;
}

// Every static text of a message box.
std::string boxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {}, part[1024] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0 && GetWindowTextA(child, part, sizeof part) > 0)
            text += part;
    }
    return text;
}

void click(HWND dialog, int control) {
    ASSERT_NE(GetDlgItem(dialog, control), nullptr) << control;
    send(GetDlgItem(dialog, control), BM_CLICK);
}
void setText(HWND dialog, int control, const std::string& text) {
    ASSERT_NE(GetDlgItem(dialog, control), nullptr) << control;
    send(GetDlgItem(dialog, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
// Posted: Apply may open a message box, which would hold a sent click.
void clickLater(HWND dialog, int control) {
    PostMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0);
}

bool startsAtLogon() {
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

std::string fileText(const std::string& path) {
    const auto bytes = readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

class AppCase : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.start()) << host_.lastError();
        standin::FrameOptions options;
        options.frameClass = standin::FrameClass::Explorer;
        auto explorer = host_.createFrame(options);
        options.frameClass = standin::FrameClass::Browser;
        options.x = 300;
        auto browser = host_.createFrame(options);
        ASSERT_TRUE(explorer && browser) << explorer.error << browser.error;
        explorer_ = *explorer;
        browser_ = *browser;
        settings_ = folder_.file("settings.ini");
    }
    void TearDown() override {
        if (app_.handle() != nullptr && WaitForSingleObject(app_.handle(), 0) == WAIT_TIMEOUT) {
            PostMessageA(notify_, WM_CLOSE, 0, 0);
            app_.waitForExit(kWaitMs);
        }
        host_.stop();
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValue);
    }

    void startApp() {
        ASSERT_TRUE(app_.start(tarvik::test::quoted(besideThisProgram("tarvik.exe")) +
                               " --no-companion --settings " + tarvik::test::quoted(settings_)));
        ASSERT_TRUE(pumpUntil(
            [&] {
                notify_ = FindWindowExA(HWND_MESSAGE, nullptr, tarvikctl::kNotifyClass,
                                        tarvikctl::kNotifyTitle);
                tray_ = windowOf(app_.id(), kTrayClass, kAppTitle);
                return notify_ != nullptr && tray_ != nullptr;
            },
            kWaitMs));
    }

    HWND openSheet() {
        PostMessageA(tray_, WM_COMMAND, IDM_SETTINGS, 0);
        return waitWindow(app_.id(), "#32770", kSheetTitle);
    }
    HWND page(HWND sheet, PageIndex index) {
        send(sheet, PSM_SETCURSEL, index, 0);
        return reinterpret_cast<HWND>(send(sheet, PSM_GETCURRENTPAGEHWND));
    }

    bool arrows(const standin::FrameHandles& frame) {
        auto buttons = host_.buttons(frame.mainToolbar);
        for (const standin::ButtonRecord& button : *buttons)
            if (button.fsStyle & BTNS_DROPDOWN) return true;
        return false;
    }
    bool hidden(const standin::FrameHandles& frame, UINT band) {
        auto bands = host_.bands(frame.rebar);
        for (const standin::BandRecord& record : *bands)
            if (record.wID == band) return (record.fStyle & RBBS_HIDDEN) != 0;
        return false;
    }
    bool until(const std::function<bool()>& done) { return pumpUntil(done, kWaitMs); }

    standin::RemoteShell host_;
    standin::FrameHandles explorer_{}, browser_{};
    TempFolder folder_;
    std::string settings_;
    ChildProcess app_;
    HWND notify_ = nullptr, tray_ = nullptr;
};

TEST_F(AppCase, ApplyWritesAndRestylesWhileCancelAndABadIconFileChangeNothing) {
    ASSERT_TRUE(writeFile(settings_, std::string("[browser]\nhide-logo = yes\n")));
    startApp();
    ASSERT_TRUE(until([&] { return hidden(browser_, standin::kLogoBandId); }))
        << "applied at start";
    EXPECT_TRUE(arrows(explorer_));
    const std::string original = fileText(settings_);

    HWND sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    HWND explorer = page(sheet, kExplorerPage);
    click(explorer, IDC_HIDE_DROPDOWNS);
    click(explorer, IDC_HIDE_TITLES);
    click(page(sheet, kBrowserPage), IDC_HIDE_MENU);
    setText(page(sheet, kIconsPage), IDC_LARGE_SIZE, "32");
    HWND menu = page(sheet, kMenuPage);
    click(menu, IDC_MENU_ENABLE);
    setText(menu, IDC_MENU_TITLE, "Tools");
    click(menu, IDC_ITEM_NEW);
    setText(menu, IDC_ITEM_CAPTION, "Marker");
    setText(menu, IDC_ITEM_OPEN, "C:\\marker.exe");
    clickLater(sheet, IDC_SHEET_APPLY);

    tarvikctl::SettingsResult saved;
    ASSERT_TRUE(until([&] {
        saved = tarvikctl::readSettingsFile(settings_);
        return saved.ok && saved.settings.explorer.hideDropdowns;
    })) << fileText(settings_)
        << "\nApply enabled: " << IsWindowEnabled(GetDlgItem(sheet, IDC_SHEET_APPLY))
        << "\nthe app's message box: " << boxText(windowOf(app_.id(), "#32770", kAppTitle));
    const tarvikctl::Settings& s = saved.settings;
    EXPECT_TRUE(s.explorer.hideTitles && s.browser.hideMenu && s.browser.hideLogo);
    EXPECT_FALSE(s.explorer.hideLogo || s.explorer.hideMenu || s.browser.hideDropdowns);
    EXPECT_EQ(s.largeSize, 32);
    EXPECT_EQ(s.menuTitle, "Tools");
    ASSERT_EQ(s.menuEntries.size(), 1u);
    EXPECT_EQ(s.menuEntries[0], (tarvikctl::MenuEntry{40001, "Marker", "C:\\marker.exe"}));
    EXPECT_EQ(fileText(settings_ + ".bak"), original);
    EXPECT_TRUE(until([&] { return !arrows(explorer_) && hidden(browser_, standin::kMenuBandId); }))
        << "applied live";
    EXPECT_FALSE(arrows(explorer_));

    // Cancel, from the keyboard: the change on the page goes nowhere. Keys reach the
    // sheet through the app's message loop: Alt+L is "the &logo band", Esc is Cancel.
    const std::string applied = fileText(settings_);
    HWND explorerPage = page(sheet, kExplorerPage);
    HWND someControl = GetDlgItem(explorerPage, IDC_HIDE_MENU);
    PostMessageA(someControl, WM_SYSCHAR, 'l', 1 << 29);
    EXPECT_TRUE(until([&] { return send(GetDlgItem(explorerPage, IDC_HIDE_LOGO), BM_GETCHECK); }))
        << "the mnemonic ticks the box";
    PostMessageA(someControl, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(until([&] { return !IsWindow(sheet); }));
    tarvik::test::pumpFor(300);
    EXPECT_EQ(fileText(settings_), applied);
    EXPECT_FALSE(hidden(explorer_, standin::kLogoBandId));

    // A broken icon file: named in a message; nothing applied, nothing written.
    const std::string broken = folder_.file("pics\\00.ico");
    ASSERT_TRUE(writeFile(broken, std::string("\0\0\1\0\1\0no directory", 18)));
    sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    click(page(sheet, kExplorerPage), IDC_HIDE_LOGO);
    HWND icons = page(sheet, kIconsPage);
    click(icons, IDC_SRC_FOLDER);
    setText(icons, IDC_FOLDER, folder_.file("pics"));
    clickLater(sheet, IDC_SHEET_APPLY);
    HWND box = waitWindow(app_.id(), "#32770", kAppTitle);
    ASSERT_NE(box, nullptr) << "a message";
    EXPECT_TRUE(until([&] { return boxText(box).find(broken + ": ") != std::string::npos; }))
        << boxText(box);
    clickLater(box, IDOK);
    EXPECT_TRUE(until([&] { return !IsWindow(box); }));
    EXPECT_EQ(fileText(settings_), applied);
    EXPECT_FALSE(hidden(explorer_, standin::kLogoBandId)) << "nothing applied";
    EXPECT_TRUE(IsWindow(sheet)) << "the window stays open for a correction";
    clickLater(sheet, IDCANCEL);
    EXPECT_TRUE(until([&] { return !IsWindow(sheet); }));
}

TEST_F(AppCase, StartAtLogonWritesAndRemovesTheRunValue) {
    startApp();
    ASSERT_FALSE(startsAtLogon());
    HWND sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    click(page(sheet, kGeneralPage), IDC_START_AT_LOGON);
    clickLater(sheet, IDC_SHEET_APPLY);
    ASSERT_TRUE(until([] { return startsAtLogon(); }));
    char command[1024] = {};
    DWORD size = sizeof command;
    ASSERT_EQ(
        RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, command, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::string(command),
              "\"" + besideThisProgram("tarvik.exe") + "\" --settings \"" + settings_ + "\"");

    click(page(sheet, kGeneralPage), IDC_START_AT_LOGON);
    clickLater(sheet, IDOK);
    EXPECT_TRUE(until([] { return !startsAtLogon(); }));
    EXPECT_TRUE(until([&] { return !IsWindow(sheet); })) << "OK closes";
}

TEST_F(AppCase, AnotherStartOpensTheRunningAppsSettingsWindow) {
    startApp();
    ASSERT_EQ(windowOf(app_.id(), "#32770", kSheetTitle), nullptr);
    const tarvik::test::ProcessRun second = tarvik::test::runProcess(
        tarvik::test::quoted(besideThisProgram("tarvik.exe")) + " --no-companion --settings " +
            tarvik::test::quoted(settings_),
        kWaitMs);
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_NE(waitWindow(app_.id(), "#32770", kSheetTitle), nullptr);
    EXPECT_EQ(WaitForSingleObject(app_.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    // tarvikctl refuses beside the app, as beside another tarvikctl, or takes over.
    const std::string ctl = tarvik::test::quoted(besideThisProgram("tarvikctl.exe"));
    const tarvik::test::ProcessRun refused =
        tarvik::test::runProcess(ctl + " " + tarvik::test::quoted(settings_), kWaitMs);
    EXPECT_EQ(refused.exitCode, 7u) << refused.err;
    EXPECT_NE(refused.err.find("tarvik.exe is already running on this desktop (process " +
                               std::to_string(app_.id()) + ")"),
              std::string::npos)
        << refused.err;
    const tarvik::test::ProcessRun replaced = tarvik::test::runProcess(
        ctl + " --replace --once " + tarvik::test::quoted(settings_), kWaitMs);
    EXPECT_EQ(replaced.exitCode, 0u) << replaced.err;
    EXPECT_TRUE(app_.waitForExit(kWaitMs));
    EXPECT_EQ(app_.exitCode(), 0u);
}

TEST_F(AppCase, TurnOffRestoresAndTurnOnAppliesAgain) {
    ASSERT_TRUE(writeFile(settings_, std::string("[explorer]\nhide-dropdowns = yes\n")));
    startApp();
    ASSERT_TRUE(until([&] { return !arrows(explorer_); }));
    PostMessageA(tray_, WM_COMMAND, IDM_TOGGLE, 0);
    EXPECT_TRUE(until([&] { return arrows(explorer_); })) << "off: restored";
    EXPECT_EQ(WaitForSingleObject(app_.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageA(tray_, WM_COMMAND, IDM_TOGGLE, 0);
    EXPECT_TRUE(until([&] { return !arrows(explorer_); })) << "on: applied again";
}

TEST_F(AppCase, StopAndEndOfSessionRestoreEveryFrame) {
    const std::string text = "[explorer]\nhide-dropdowns = yes\nhide-logo = yes\n";
    ASSERT_TRUE(writeFile(settings_, text));
    for (const bool endSession : {false, true}) {
        SCOPED_TRACE(endSession ? "WM_ENDSESSION" : "tarvikctl --stop");
        startApp();
        ASSERT_TRUE(
            until([&] { return !arrows(explorer_) && hidden(explorer_, standin::kLogoBandId); }));
        if (endSession) {
            EXPECT_EQ(send(tray_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
            send(tray_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        } else {
            const tarvik::test::ProcessRun stop = tarvik::test::runProcess(
                tarvik::test::quoted(besideThisProgram("tarvikctl.exe")) + " --stop", kWaitMs);
            EXPECT_EQ(stop.exitCode, 0u) << stop.err;
        }
        ASSERT_TRUE(app_.waitForExit(kWaitMs));
        EXPECT_EQ(app_.exitCode(), 0u);
        EXPECT_TRUE(arrows(explorer_));
        EXPECT_FALSE(hidden(explorer_, standin::kLogoBandId));
        EXPECT_EQ(fileText(settings_), text) << "settings kept";
    }
}

TEST_F(AppCase, MenuEntryOpensItsProgram) {
    const std::string marker = folder_.file("marker.txt");
    ASSERT_TRUE(writeFile(settings_, "[menu]\ntitle = Tools\nitem = 41000, Marker\nopen = " +
                                         besideThisProgram("app_marker.exe") + "\n"));
    SetEnvironmentVariableA("TARVIK_APP_MARKER", marker.c_str());
    startApp();
    SetEnvironmentVariableA("TARVIK_APP_MARKER", nullptr);
    // As the entry is chosen: the frame's "WorkerW" gets the command.
    ASSERT_TRUE(host_.post(explorer_.worker, WM_COMMAND, kMarkerId, 0));
    EXPECT_TRUE(until([&] {
        return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    })) << "the program ran";
}

TEST_F(AppCase, UnreadableFileAtStartIsNamedAndKept) {
    const std::string bad = "[explorer]\nhide-logo = yes\nhide-menu = maybe\n";
    ASSERT_TRUE(writeFile(settings_, bad));
    startApp();
    HWND box = waitWindow(app_.id(), "#32770", kAppTitle);
    ASSERT_NE(box, nullptr);
    // The box is found as soon as it exists; its text follows.
    const std::string named = settings_ + ":3: 'maybe' is not a boolean";
    EXPECT_TRUE(until([&] { return boxText(box).find(named) != std::string::npos; }))
        << boxText(box);
    clickLater(box, IDOK);
    ASSERT_TRUE(until([&] { return !IsWindow(box); }));
    EXPECT_FALSE(hidden(explorer_, standin::kLogoBandId)) << "the native look";

    // Apply asks before replacing the file; No keeps it.
    HWND sheet = openSheet();
    ASSERT_NE(sheet, nullptr);
    click(page(sheet, kExplorerPage), IDC_HIDE_DROPDOWNS);
    clickLater(sheet, IDC_SHEET_APPLY);
    box = waitWindow(app_.id(), "#32770", kAppTitle);
    ASSERT_NE(box, nullptr);
    clickLater(box, IDNO);
    ASSERT_TRUE(until([&] { return !IsWindow(box); }));
    EXPECT_EQ(fileText(settings_), bad);
    EXPECT_TRUE(arrows(explorer_));
}

TEST_F(AppCase, NotificationIconSaysOnOrOffOpensSettingsComesBackAndExitRestores) {
    tarvik::test::TrayRecorder tray;
    HWND taskbar = tray.create();
    ASSERT_NE(taskbar, nullptr);
    ASSERT_EQ(FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr), taskbar)
        << "another notification area answers first";
    auto trayCalled = [&](ULONG_PTR what, const wchar_t* tip) { return tray.called(what, tip); };
    ASSERT_TRUE(writeFile(settings_, std::string("[explorer]\nhide-dropdowns = yes\n")));
    startApp();
    EXPECT_TRUE(until([&] { return trayCalled(NIM_ADD, L"TarvikToolBar: on"); }));
    PostMessageA(tray_, WM_COMMAND, IDM_TOGGLE, 0);
    EXPECT_TRUE(until([&] { return trayCalled(NIM_MODIFY, L"TarvikToolBar: off"); }));

    // A double click on the icon opens the settings window.
    PostMessageA(tray_, kTrayCallback, 1, WM_LBUTTONDBLCLK);
    HWND sheet = waitWindow(app_.id(), "#32770", kSheetTitle);
    EXPECT_NE(sheet, nullptr);

    tray.clear();
    PostMessageA(tray_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(until([&] { return trayCalled(NIM_ADD, L"TarvikToolBar: off"); })) << "added again";

    PostMessageA(tray_, WM_COMMAND, IDM_TOGGLE, 0);
    ASSERT_TRUE(until([&] { return !arrows(explorer_); }));
    PostMessageA(tray_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(until([&] { return trayCalled(NIM_DELETE, nullptr); }));
    EXPECT_FALSE(IsWindow(sheet)) << "Exit closes the settings window";
    EXPECT_TRUE(until([&] { return WaitForSingleObject(app_.handle(), 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(app_.exitCode(), 0u);
    EXPECT_TRUE(arrows(explorer_)) << "Exit restores";
}

// Where the lane has Wine report Windows XP (tests/app/CMakeLists.txt), the cases above
// run tarvik.exe and tarvikctl on their XP branches; elsewhere on the later ones.
TEST(WindowsVersion, IsTheOneThisLaneRunsOn) {
    tarvik::test::expectLaneWindows();
}

// A file whose reading blocks until released: a named pipe of this program's, which
// answers a reader (CreateFile connects at once, ReadFile waits) only after release(),
// with `bytes` and then its end, as a file on a slow share would.
class SlowFile {
  public:
    explicit SlowFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        static int count = 0;
        path_ = "\\\\.\\pipe\\tarvik-slow-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++count);
        listening_ = listen();
        server_ = std::thread([this] { serve(); });
    }
    ~SlowFile() {
        release();
        stopping_ = true;
        // A reader of our own wakes the server wherever it waits for one.
        while (!ended_) {
            HANDLE last =
                CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (last != INVALID_HANDLE_VALUE) CloseHandle(last);
            Sleep(10);
        }
        server_.join();
    }
    const std::string& path() const { return path_; }
    void release() {
        std::lock_guard<std::mutex> guard(lock_);
        released_ = true;
        for (HANDLE reader : held_)
            answer(reader);
        held_.clear();
    }

  private:
    HANDLE listen() {
        return CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                PIPE_UNLIMITED_INSTANCES, 65536, 0, 0, nullptr);
    }
    void answer(HANDLE reader) {
        DWORD wrote = 0;
        WriteFile(reader, bytes_.data(), static_cast<DWORD>(bytes_.size()), &wrote, nullptr);
        CloseHandle(reader); // the reader reads what is written, then the end
    }
    void serve() {
        while (listening_ != INVALID_HANDLE_VALUE) {
            HANDLE reader = listening_;
            const bool connected =
                ConnectNamedPipe(reader, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
            listening_ = stopping_ ? INVALID_HANDLE_VALUE : listen();
            std::lock_guard<std::mutex> guard(lock_);
            if (!connected || stopping_)
                CloseHandle(reader);
            else if (released_)
                answer(reader);
            else
                held_.push_back(reader);
        }
        ended_ = true;
    }

    std::vector<std::uint8_t> bytes_;
    std::string path_;
    HANDLE listening_ = INVALID_HANDLE_VALUE;
    std::thread server_;
    std::mutex lock_;
    std::vector<HANDLE> held_;
    bool released_ = false;
    std::atomic<bool> stopping_{false}, ended_{false};
};

// A document whose opening blocks until released: its type opens with DDE, and the
// program that serves it (app_slow_program) is a window program that takes no message
// until the event is set, so ShellExecute waits for it to become ready
// (WaitForInputIdle). Wine reads file types from HKEY_CLASSES_ROOT only.
class SlowDocument {
  public:
    static constexpr const char* kType = "TarvikToolBar.SlowDocument";
    explicit SlowDocument(const std::string& path) : path_(path) {
        writeFile(path_, std::string("slow\n"));
        const std::string command = "\"" + besideThisProgram("app_slow_program.exe") + "\" \"%1\"";
        const std::string open = std::string(kType) + "\\shell\\open";
        set(".tarvikslow", kType);
        set(open + "\\command", command);
        set(open + "\\ddeexec", "[open(\"%1\")]");
        SetEnvironmentVariableA("TARVIK_APP_HOLD", name_.c_str());
    }
    ~SlowDocument() {
        release();
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".tarvikslow");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kType);
        SetEnvironmentVariableA("TARVIK_APP_HOLD", nullptr);
        CloseHandle(event_);
    }
    void release() { SetEvent(event_); }

  private:
    static void set(const std::string& key, const std::string& value) {
        RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                     static_cast<DWORD>(value.size()));
    }
    std::string path_;
    std::string name_ = "TarvikSlowProgram-" + std::to_string(GetCurrentProcessId());
    HANDLE event_ = CreateEventA(nullptr, TRUE, FALSE, name_.c_str());
};

// Apply while an icon file takes seconds to read, and a menu entry whose program
// takes as long to open: keystrokes arrive throughout, the settings window works
// meanwhile, the frames keep the settings in force until the file has been read, and
// Cancel during the read changes nothing.
TEST_F(AppCase, SlowFilesAndProgramsHoldNeitherKeystrokesNorTheFrames) {
    constexpr int kStrokes = 8;
    const std::string marker = folder_.file("marker.txt");
    SlowDocument document(folder_.file("slow.tarvikslow"));
    ASSERT_TRUE(writeFile(settings_, "[menu]\ntitle = Tools\nitem = 41000, Slow\nopen = " +
                                         folder_.file("slow.tarvikslow") + "\n"));
    SetEnvironmentVariableA("TARVIK_APP_MARKER", marker.c_str());
    startApp();
    SetEnvironmentVariableA("TARVIK_APP_MARKER", nullptr);
    tarvik::test::KeystrokeProbe probe;
    ASSERT_TRUE(probe.create());
    int strokes = 0;
    auto typing = [&](const std::function<bool()>& meanwhile) {
        strokes = 0;
        return probe.typeUntil([&] { return !meanwhile() || strokes++ == kStrokes; }, 120000);
    };

    // The entry's program runs, and ShellExecute waits until it is ready, all along.
    ASSERT_TRUE(host_.post(explorer_.worker, WM_COMMAND, kMarkerId, 0));
    ASSERT_TRUE(
        until([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    const tarvik::test::Typed opening = typing([] { return true; });

    const auto strip = tarvik::test::makeBmp(32, 16, [](int, int) { return 0xFF2080C0u; });
    const std::string original = fileText(settings_);
    tarvik::test::Typed reading[2];
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "Cancel while reading" : "Apply");
        SlowFile file(strip);
        HWND sheet = openSheet();
        ASSERT_NE(sheet, nullptr);
        HWND icons = page(sheet, kIconsPage);
        click(icons, IDC_SRC_STRIP);
        setText(icons, IDC_STRIP, file.path());
        click(page(sheet, kExplorerPage), IDC_HIDE_DROPDOWNS);
        clickLater(sheet, IDC_SHEET_APPLY);
        ASSERT_TRUE(until([&] {
            return !IsWindowEnabled(GetDlgItem(sheet, IDOK)) &&
                   !IsWindowEnabled(GetDlgItem(sheet, IDC_SHEET_APPLY));
        })) << "busy";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)));
        reading[round] = typing([&] { return arrows(explorer_); });
        EXPECT_TRUE(reading[round].done) << "the frames changed before the file was read";
        EXPECT_EQ(fileText(settings_), original);
        if (round == 0) {
            // Esc, as the keyboard gives it to the sheet.
            PostMessageA(GetDlgItem(sheet, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
            ASSERT_TRUE(until([&] { return !IsWindow(sheet); }));
            file.release();
            tarvik::test::pumpFor(500);
            EXPECT_EQ(fileText(settings_), original);
            EXPECT_TRUE(arrows(explorer_));
        } else {
            file.release();
            EXPECT_TRUE(until([&] { return !arrows(explorer_); })) << "applied once read";
            EXPECT_NE(fileText(settings_).find(file.path()), std::string::npos);
            EXPECT_TRUE(until([&] { return IsWindowEnabled(GetDlgItem(sheet, IDOK)); }));
            clickLater(sheet, IDCANCEL);
            EXPECT_TRUE(until([&] { return !IsWindow(sheet); }));
        }
    }

    document.release();
    // Its result comes back once ready: here a failure, as the program holds no DDE conversation.
    HWND box = waitWindow(app_.id(), "#32770", kAppTitle);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(until([&] {
        return boxText(box).find("\"Slow\" could not open") != std::string::npos;
    })) << boxText(box);
    clickLater(box, IDOK);
    EXPECT_TRUE(until([&] { return !IsWindow(box); }));

    const tarvik::test::Typed* phases[] = {&opening, &reading[0], &reading[1]};
    for (int phase = 0; phase < 3; ++phase) {
        EXPECT_EQ(phases[phase]->heldTwice, 0) << "keystrokes held in phase " << phase;
        EXPECT_LT(phases[phase]->longest, tarvik::test::kKeyHookTimeoutMs) << phase;
        std::printf("%d keystrokes, the slowest %lu ms\n", phases[phase]->strokes,
                    static_cast<unsigned long>(phases[phase]->longest));
    }
}

} // namespace
