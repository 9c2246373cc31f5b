// tarvik.exe: TarvikToolBar for people who do not write INI files. An icon in
// the notification area, a settings window, the settings kept in
// %APPDATA%\TarvikToolBar\settings.ini; one controller per desktop, as tarvikctl.
#include "app.h"
#include "dpi_awareness.h"
#include "icon_handles.h"
#include "instance.h"
#include "resource.h"
#include "settings_sheet.h"
#include "text.h"
#include "tray.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace tarvik_app;
using tarvikctl::cat;
using tarvikctl::num;

namespace {

constexpr int kExitOk = 0, kExitUsage = 1, kExitLibrary = 4, kExitSystem = 5, kExitRunning = 7;
constexpr const char* kUsage =
    "usage: tarvik [--settings <file>] [--icon-handles <file>] [--no-companion]\n\n"
    "Without --settings the settings are kept in\n"
    "%APPDATA%\\TarvikToolBar\\settings.ini.\n"
    "--icon-handles: icons another process made, as with tarvikctl (for hosts where\n"
    "icon handles are process-local); the settings' own icons replace them on Apply.\n"
    "--no-companion: 64-bit only, do not start the 32-bit tarvikctl in x86\\ for the\n"
    "32-bit frames.";

std::string defaultSettingsPath() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, folder)))
        return "";
    return cat(folder, "\\TarvikToolBar\\settings.ini");
}

// The running controller: the app shows its settings window; tarvikctl is named.
int handOver(const tarvikctl::RunningInstance& running) {
    AllowSetForegroundWindow(running.processId);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(running.window, app().showSettingsMessage, 0, 0, SMTO_ABORTIFHUNG,
                            tarvikctl::kStopWaitMs, &answer) &&
        answer == static_cast<DWORD_PTR>(kShowAck))
        return kExitOk;
    say(nullptr,
        cat(running.name, " (process ", num(running.processId),
            ") already controls the toolbars on this desktop.\n\nStop it with "
            "'tarvikctl --stop', then start TarvikToolBar again."),
        MB_OK | MB_ICONINFORMATION);
    return kExitRunning;
}

// The settings in force at start, the file made from the defaults if missing.
void readStartSettings() {
    App& a = app();
    const DWORD attributes = GetFileAttributesA(a.settingsPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        SHCreateDirectoryExA(nullptr, tarvikctl::folderOf(a.settingsPath).c_str(), nullptr);
        const std::string problem = tarvikctl::saveSettingsFile(a.settingsPath, a.settings);
        if (!problem.empty()) a.startNote = cat("The settings file cannot be made:\n\n", problem);
        return;
    }
    const tarvikctl::SettingsResult read = tarvikctl::readSettingsFile(a.settingsPath);
    if (!read.ok) {
        a.unreadableFile = read.error;
        return;
    }
    a.settings = read.settings;
    const std::string problem = tarvikctl::loadIconFiles(a.settings, *a.icons);
    if (!problem.empty())
        a.startNote = cat("An icon file cannot be used:\n\n", problem,
                          "\n\nThe toolbars keep their own icons until the settings name usable "
                          "ones.");
}

int run() {
    App& a = app();
    std::string iconHandles;
    bool companion = true;
    for (int i = 1; i < __argc; ++i) {
        const std::string argument = __argv[i];
        if (argument == "--settings" && i + 1 < __argc) {
            // Absolute, as it also goes into the Run value.
            char full[MAX_PATH] = {};
            const DWORD length = GetFullPathNameA(__argv[++i], MAX_PATH, full, nullptr);
            a.settingsPath = length > 0 && length < MAX_PATH ? full : __argv[i];
            a.defaultPath = false;
        } else if (argument == "--no-companion") {
            companion = false;
        } else if (argument == "--icon-handles" && i + 1 < __argc) {
            iconHandles = __argv[++i];
        } else {
            say(nullptr, kUsage,
                MB_OK | (argument == "--help" ? MB_ICONINFORMATION : MB_ICONERROR));
            return argument == "--help" ? kExitOk : kExitUsage;
        }
    }
    a.showSettingsMessage = RegisterWindowMessageA(kShowSettingsMessage);

    tarvikctl::StartLock lock;
    std::string problem = lock.acquire(tarvikctl::kLockWaitMs);
    if (!problem.empty()) {
        say(nullptr, problem, MB_OK | MB_ICONERROR);
        return kExitRunning;
    }
    if (const std::optional<tarvikctl::RunningInstance> running = tarvikctl::findRunning())
        return handOver(*running);

    if (a.defaultPath) a.settingsPath = defaultSettingsPath();
    if (a.settingsPath.empty()) {
        say(nullptr, "The Application Data folder cannot be found.", MB_OK | MB_ICONERROR);
        return kExitSystem;
    }
    problem = a.library.load(tarvikctl::programFolder() + tarvikctl::kLibraryFileName);
    if (!problem.empty()) {
        say(nullptr, problem, MB_OK | MB_ICONERROR);
        return kExitLibrary;
    }
    readStartSettings();
    if (!iconHandles.empty()) {
        const tarvikctl::IconHandlesResult handles =
            tarvikctl::readIconHandlesFile(iconHandles, UINTPTR_MAX);
        if (handles.ok)
            tarvikctl::borrowIconHandles(handles.handles, a.settings, *a.icons);
        else
            a.startNote = handles.error;
    }

    a.window = tarvikctl::createNotifyWindow(appWindowProc, nullptr, kAppWindowClass);
    a.session = std::make_unique<tarvikctl::Session>(a.library);
    problem =
        a.window == nullptr
            ? cat("A window cannot be made (error ", num(GetLastError()), ").")
            : a.session->install(
                  a.window, {{MSG_POPUP_COMMAND}, {WM_CLOSE}, {a.showSettingsMessage, kShowAck}});
    if (!problem.empty()) {
        say(nullptr, problem, MB_OK | MB_ICONERROR);
        a.session.reset();
        if (a.window != nullptr) DestroyWindow(a.window);
        return kExitSystem;
    }
    // Findable from here on: another start finds this one.
    lock.release();
#ifdef _WIN64
    if (companion)
        a.companion = std::make_unique<tarvikctl::ProcessCompanion>(
            tarvikctl::companionProgram(tarvikctl::programFolder()), a.settingsPath,
            a.session->notifyWindow(), true, false, [](const std::string& line, bool warning) {
                // Each problem once: a missing companion would be named at every Apply.
                static std::string told;
                if (!warning || line == told) return;
                told = line;
                // A notice beside the icon, which blocks nothing; while starting, once it exists.
                App& running = tarvik_app::app();
                if (running.tray != nullptr)
                    showTrayNotice(line);
                else
                    running.companionNote = line;
            });
    a.session->setCompanion(a.companion.get());
#else
    (void)companion;
#endif
    applyCurrent();
    // The icon, and the window that owns it, once the settings are in force.
    if (!createTray()) {
        say(nullptr, cat("A window cannot be made (error ", num(GetLastError()), ")."),
            MB_OK | MB_ICONERROR);
        a.session.reset();
        DestroyWindow(a.window);
        return kExitSystem;
    }
    if (!a.companionNote.empty()) showTrayNotice(a.companionNote);
    if (a.settingsAsked) PostMessageA(a.tray, WM_COMMAND, IDM_SETTINGS, 0);
    if (!a.unreadableFile.empty())
        a.startNote = cat("The settings file cannot be read:\n\n", a.unreadableFile,
                          "\n\nTarvikToolBar starts with the native look and leaves the file as "
                          "it is. Open Settings... to choose new settings; the file is replaced "
                          "only once you agree.");
    if (!a.startNote.empty()) say(a.tray, a.startNote, MB_OK | MB_ICONWARNING);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!sheetTakes(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        dropClosedSheet();
    }
    // Ended by shutDown(): restored and uninstalled already.
    a.session.reset();
    a.companion.reset();
    DestroyWindow(a.window);
    DestroyWindow(a.tray);
    a.icons->release();
    a.library.unload();
    return kExitOk;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    app().instance = instance;
    declareDpiAwareness();
    // The shell's dialogs want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const int code = run();
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
