// The setup program of this program's bitness (win32 or win64) as a user meets it,
// with the stand-in shell's frames of that bitness watching: a silent install whose
// app restyles them, a silent install of a newer version over the running app, which
// restores them before the files change, and a silent uninstall that leaves the
// settings and native frames. The cases build on each other and run in this order.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <functional>
#include <optional>
#include <string>

#include "child_process.h"
#include "lane_windows.h"
#include "pump.h"
#include "instance.h"
#include "library_under_test.h"
#include "standin/client.h"
#include "standin/standin.h"
#include "tray_recorder.h"

namespace {

using tarvik::test::pumpUntil;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarvikToolBar";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "TarvikToolBar";
constexpr DWORD kSetupTimeoutMs = 120000;
constexpr DWORD kSettleMs = 30000;
constexpr DWORD kLookEveryMs = 250;
constexpr char kSettings[] = "[explorer]\r\nhide-logo = yes\r\n[browser]\r\nhide-logo = yes\r\n";

std::string folder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::string installDir() {
    return folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\TarvikToolBar";
}
std::string shortcut() {
    return folder(CSIDL_PROGRAMS) + "\\TarvikToolBar.lnk";
}
std::string settingsFile() {
    return folder(CSIDL_APPDATA) + "\\TarvikToolBar\\settings.ini";
}
std::string setup(const char* name) {
    std::string path = std::string("Z:") + TARVIK_SETUP_DIR + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
// What the setup installs: the win64 one also carries the 32-bit companion in bin\x86.
constexpr const char* kInstalledFiles[] = {"bin\\tarvik.exe",
                                           "bin\\tarvikctl.exe",
                                           "bin\\" TARVIK_DLL_NAME,
#ifdef _WIN64
                                           "bin\\x86\\tarvikctl.exe",
                                           "bin\\x86\\TarvikToolBar.dll",
#endif
                                           "bin\\examples\\tarvik.ini",
                                           "include\\TarvikToolBar.h",
                                           "README.txt",
                                           "Uninstall.exe"};

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A REG_SZ value as it is, a REG_DWORD one in decimal.
std::optional<std::string> reg(const char* key, const char* name) {
    char data[1024] = "";
    DWORD size = sizeof data, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return std::string(data);
}

// What the shortcut, the Run value and "start now" run: the settings app.
std::string startProgram() {
    return installDir() + "\\bin\\tarvik.exe";
}
std::string startCommand() {
    return "\"" + startProgram() + "\"";
}

std::string shortcutTarget(const std::string& link) {
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(link.begin(), link.end());
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

// Runs a command line to its end; its exit code, or ~0u when it did not start or end.
DWORD run(const std::string& commandLine) {
    const tarvik::test::ProcessRun result = tarvik::test::runProcess(commandLine, kSetupTimeoutMs);
    return result.ended ? result.exitCode : ~0u;
}

// The process of the controller running on this desktop (found as tarvikctl --stop
// finds the app or tarvikctl), 0 for none.
DWORD controllerProcess() {
    const std::optional<tarvikctl::RunningInstance> running = tarvikctl::findRunning();
    return running ? running->processId : 0;
}

void removeTree(const std::string& path) {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

class Installer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        // Wine starts the Run values with its session: one left by an earlier run may be up.
        stopController();
        forgetInstallation();
        removeTree(folder(CSIDL_APPDATA) + "\\TarvikToolBar");
        CreateDirectoryA((folder(CSIDL_APPDATA) + "\\TarvikToolBar").c_str(), nullptr);
        HANDLE file = CreateFileA(settingsFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr);
        DWORD written = 0;
        WriteFile(file, kSettings, sizeof kSettings - 1, &written, nullptr);
        CloseHandle(file);

        host = new standin::RemoteShell;
        if (!host->start()) return;
        standin::FrameOptions options;
        options.frameClass = standin::FrameClass::Explorer;
        explorer = host->createFrame(options).value;
        options.frameClass = standin::FrameClass::Browser;
        options.large = false;
        options.x = 500;
        browser = host->createFrame(options).value;
        // After the stand-in shell's start, so that the app's icon comes here.
        tray = new tarvik::test::TrayRecorder;
        tray->create();
    }
    static void TearDownTestSuite() {
        stopController();
        delete tray;
        host->stop();
        delete host;
        forgetInstallation();
        removeTree(folder(CSIDL_APPDATA) + "\\TarvikToolBar");
        CoUninitialize();
    }
    // WM_CLOSE to the running controller's notify window restores the frames and ends it.
    static void stopController() {
        const std::optional<tarvikctl::RunningInstance> running = tarvikctl::findRunning();
        if (!running) return;
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, running->processId);
        PostMessageA(running->window, WM_CLOSE, 0, 0);
        if (process != nullptr) {
            WaitForSingleObject(process, tarvikctl::kStopWaitMs);
            CloseHandle(process);
        }
    }
    static void forgetInstallation() {
        removeTree(installDir());
        DeleteFileA(shortcut().c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
        HKEY run = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, kRunValue);
            RegCloseKey(run);
        }
    }

    // Both frames' logo bands hidden (the settings' one change), or both shown.
    static bool logoHidden(const standin::FrameHandles& frame) {
        auto bands = host->bands(frame.rebar);
        for (const standin::BandRecord& band : bands.value)
            if (band.wID == standin::kLogoBandId) return (band.fStyle & RBBS_HIDDEN) != 0;
        return false;
    }
    static bool styled() { return logoHidden(explorer) && logoHidden(browser); }
    static bool native() { return !logoHidden(explorer) && !logoHidden(browser); }
    static std::string frames() {
        return std::string("logo hidden: explorer ") + (logoHidden(explorer) ? "yes" : "no") +
               ", browser " + (logoHidden(browser) ? "yes" : "no");
    }
    // Until the app has done its work on the frames. A look is a call into the stand-in
    // shell, whose thread must stay free to answer the library's messages in their time
    // limit (a look takes tens of milliseconds under emulation): one every kLookEveryMs.
    static bool settles(const std::function<bool()>& done) {
        const DWORD begin = GetTickCount();
        while (!done()) {
            if (GetTickCount() - begin >= kSettleMs) return false;
            tarvik::test::pumpFor(kLookEveryMs);
        }
        return true;
    }

    static standin::RemoteShell* host;
    static standin::FrameHandles explorer, browser;
    static tarvik::test::TrayRecorder* tray;
};
standin::RemoteShell* Installer::host = nullptr;
tarvik::test::TrayRecorder* Installer::tray = nullptr;
standin::FrameHandles Installer::explorer{}, Installer::browser{};

// The win32 setup's lane has Wine report Windows XP for the whole prefix
// (tests/installer/CMakeLists.txt): the setup, its uninstaller, the app and tarvikctl
// run as on XP. The win64 setup's runs on the later Windows of the other lanes.
TEST_F(Installer, RunsOnTheWindowsOfItsLane) {
    tarvik::test::expectLaneWindows();
}

TEST_F(Installer, SilentInstallPutsEverythingInPlaceAndTheAppRestylesTheFrames) {
    ASSERT_TRUE(host->running()) << host->lastError();
    ASSERT_NE(browser.rebar, nullptr);
    ASSERT_TRUE(native());

    ASSERT_EQ(run("\"" + setup(TARVIK_FIRST_SETUP) + "\" /S /LOGON /RUN"), 0u);
    const std::string dir = installDir();
    for (const char* file : kInstalledFiles)
        EXPECT_TRUE(exists(dir + "\\" + file)) << file;
#ifndef _WIN64
    EXPECT_FALSE(exists(dir + "\\bin\\x86")) << "no 64-bit side, so no companion";
#endif
    EXPECT_FALSE(exists(dir + ".new")) << "the staging folder is gone";
    EXPECT_EQ(shortcutTarget(shortcut()), startProgram());

    const std::string uninstaller = "\"" + dir + "\\Uninstall.exe\"";
    EXPECT_EQ(reg(kUninstallKey, "DisplayName"), "TarvikToolBar");
    EXPECT_EQ(reg(kUninstallKey, "DisplayVersion"), TARVIK_VERSION);
    EXPECT_EQ(reg(kUninstallKey, "Publisher"), "TarvikToolBar");
    EXPECT_EQ(reg(kUninstallKey, "DisplayIcon"), startProgram() + ",0");
    EXPECT_EQ(reg(kUninstallKey, "InstallLocation"), dir);
    EXPECT_EQ(reg(kUninstallKey, "UninstallString"), uninstaller);
    EXPECT_EQ(reg(kUninstallKey, "QuietUninstallString"), uninstaller + " /S");
    EXPECT_EQ(reg(kUninstallKey, "NoModify"), "1");
    EXPECT_EQ(reg(kUninstallKey, "NoRepair"), "1");
    EXPECT_GT(std::stoi(reg(kUninstallKey, "EstimatedSize").value_or("0")), 100) << "KB";
    EXPECT_EQ(reg(kRunKey, kRunValue), startCommand());

    EXPECT_TRUE(settles([] { return controllerProcess() != 0 && styled(); }))
        << "the started app restyles the frames; " << frames();
    EXPECT_TRUE(settles([] { return tray->called(NIM_ADD, L"TarvikToolBar: on"); }))
        << "the started app's icon in the notification area";
}

TEST_F(Installer, NewerSetupRestoresTheFramesBeforeItReplacesTheFilesThenStartsTheNewVersion) {
    const DWORD oldId = controllerProcess();
    ASSERT_NE(oldId, 0u);
    ASSERT_TRUE(styled());
    HANDLE old = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, oldId);
    ASSERT_NE(old, nullptr);
    const std::string marker = installDir() + "\\bin\\newer-build.txt";
    ASSERT_FALSE(exists(marker));

    // Watched while the setup runs, each condition read in an order that proves it:
    // frames, then files, then the old process.
    tarvik::test::ChildProcess setupProcess;
    ASSERT_TRUE(setupProcess.start("\"" + setup("newer-setup.exe") + "\" /S /RUN"));
    bool nativeWithOldFiles = false, filesReplacedWhileRunning = false;
    const DWORD begin = GetTickCount();
    while (WaitForSingleObject(setupProcess.handle(), 0) == WAIT_TIMEOUT &&
           GetTickCount() - begin < kSetupTimeoutMs) {
        const bool frameNative = native();
        const bool newFiles = exists(marker);
        const bool oldRunning = WaitForSingleObject(old, 0) == WAIT_TIMEOUT;
        nativeWithOldFiles |= frameNative && !newFiles;
        filesReplacedWhileRunning |= newFiles && oldRunning;
        Sleep(2);
    }
    ASSERT_TRUE(setupProcess.waitForExit(0));
    EXPECT_EQ(setupProcess.exitCode(), 0u);
    EXPECT_TRUE(nativeWithOldFiles) << "the frames were restored before the files changed";
    EXPECT_FALSE(filesReplacedWhileRunning);
    DWORD oldCode = ~0u;
    EXPECT_TRUE(GetExitCodeProcess(old, &oldCode) && oldCode == 0) << "ended cleanly: " << oldCode;
    CloseHandle(old);

    EXPECT_TRUE(exists(marker));
    EXPECT_EQ(reg(kUninstallKey, "DisplayVersion"), TARVIK_NEWER_VERSION);
    EXPECT_EQ(reg(kRunKey, kRunValue), startCommand()) << "start at logon kept";
    EXPECT_TRUE(settles([&] {
        return controllerProcess() != 0 && controllerProcess() != oldId && styled();
    })) << "the new version runs and restyles the frames; "
        << frames();
}

TEST_F(Installer, SetupWhoseStopFailsLeavesTheInstallationAsItWas) {
    const DWORD running = controllerProcess();
    ASSERT_NE(running, 0u);
    const std::string installed = installDir() + "\\bin\\tarvikctl.exe";
    const std::string kept = installed + ".kept";
    ASSERT_TRUE(MoveFileA(installed.c_str(), kept.c_str()));
    ASSERT_TRUE(CopyFileA(besideThisProgram("refusing_stop.exe").c_str(), installed.c_str(), TRUE));

    EXPECT_EQ(run("\"" + setup(TARVIK_FIRST_SETUP) + "\" /S /RUN"), 2u);
    EXPECT_TRUE(exists(installDir() + "\\bin\\newer-build.txt"));
    EXPECT_FALSE(exists(installDir() + ".new"));
    EXPECT_EQ(reg(kUninstallKey, "DisplayVersion"), TARVIK_NEWER_VERSION);
    EXPECT_EQ(controllerProcess(), running);
    EXPECT_TRUE(styled());
    EXPECT_TRUE(DeleteFileA(installed.c_str()) && MoveFileA(kept.c_str(), installed.c_str()));
}

TEST_F(Installer, SilentUninstallLeavesOnlyTheSettingsAndNativeFrames) {
    ASSERT_NE(controllerProcess(), 0u);
    const std::optional<std::string> quiet = reg(kUninstallKey, "QuietUninstallString");
    ASSERT_TRUE(quiet);
    // The uninstaller copies itself away to remove its folder: its copy does the work.
    EXPECT_EQ(run(*quiet), 0u);
    EXPECT_TRUE(pumpUntil(
        [] { return !exists(installDir()) && !reg(kUninstallKey, "DisplayName"); }, kSettleMs));

    EXPECT_FALSE(exists(installDir()));
    EXPECT_FALSE(exists(shortcut()));
    EXPECT_FALSE(reg(kRunKey, kRunValue));
    EXPECT_FALSE(reg(kUninstallKey, "DisplayName"));
    EXPECT_TRUE(exists(settingsFile())) << "the settings stay";
    EXPECT_EQ(controllerProcess(), 0u);
    EXPECT_TRUE(native());
}

} // namespace
