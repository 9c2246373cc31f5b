// Stop requests from other threads (the console handler) are posted to the notify
// window, so that the undo runs on the thread that installed the hooks.
#include "console_session.h"
#include "companion.h"
#include "session.h"
#include "text.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>

namespace tarvikctl {

namespace {

constexpr UINT kMsgStop = WM_APP + 1; // from the console handler
constexpr UINT_PTR kHoldTimer = 1;
// The system ends a process about 5 s after a close event; undo before that.
constexpr DWORD kCloseWaitMs = 4500;

std::atomic<HWND> notifyWindow{nullptr};
const char* shownName = "tarvikctl";
HANDLE undoneEvent = nullptr; // never closed: a console handler may still wait on it

void printCommand(const Settings& settings, WPARAM id) {
    const std::string caption =
        id <= static_cast<WPARAM>(kMaxCommandId) ? captionOf(settings, static_cast<int>(id)) : "";
    if (caption.empty())
        std::printf("command %llu\n", static_cast<unsigned long long>(id));
    else
        std::printf("command %llu (%s)\n", static_cast<unsigned long long>(id), caption.c_str());
    std::fflush(stdout);
}

LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case MSG_POPUP_COMMAND: {
        const auto* settings =
            reinterpret_cast<const Settings*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        try {
            if (settings != nullptr) printCommand(*settings, wParam);
        } catch (...) {
            // Out of memory while printing: drop the line, keep the session.
        }
        return 0;
    }
    case WM_CLOSE:
    case kMsgStop: PostQuitMessage(0); return 0;
    case WM_TIMER:
        if (wParam != kHoldTimer) break;
        KillTimer(window, kHoldTimer);
        PostQuitMessage(0);
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (HWND window = notifyWindow.load()) PostMessageA(window, kMsgStop, event, 0);
    // After a close, logoff or shutdown event returns, the process is ended.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(undoneEvent, kCloseWaitMs);
    return TRUE;
}

enum class Woken { End, Reload };

// Until WM_QUIT or one of `endOn` is signalled (End), or a reload is asked for; a
// companion that ends meanwhile is reported once.
Woken pump(HWND window, const SessionOptions& options, ProcessCompanion* companion) {
    std::vector<HANDLE> handles(options.endOn);
    if (options.reloadOn != nullptr) handles.push_back(options.reloadOn);
    const DWORD ends = static_cast<DWORD>(options.endOn.size());
    const DWORD fixed = static_cast<DWORD>(handles.size());
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return Woken::End;
            if (message.message == kMsgReload && message.hwnd == window) return Woken::Reload;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        handles.resize(fixed);
        if (companion != nullptr && companion->process() != nullptr)
            handles.push_back(companion->process());
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woke =
            MsgWaitForMultipleObjects(count, handles.data(), FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_FAILED || woke < WAIT_OBJECT_0 + ends) return Woken::End;
        if (woke < WAIT_OBJECT_0 + fixed) return Woken::Reload;
        if (woke < WAIT_OBJECT_0 + count) companion->ended();
    }
}

// Reads the settings again and applies them; the newer pair replaces `settings` and
// `icons` once the library is done with the ones before.
void reload(HWND window, Session& session, const SessionOptions& options,
            std::unique_ptr<Settings>& settings, std::unique_ptr<IconSet>& icons) {
    if (!options.reread) return;
    auto newSettings = std::make_unique<Settings>();
    auto newIcons = std::make_unique<IconSet>();
    const std::string problem = options.reread(*newSettings, *newIcons);
    if (!problem.empty()) return warn(cat("the settings in force stay: ", problem));
    try {
        session.apply(*newSettings, *newIcons);
        note(options.quiet, cat("applied again: ", describeApplied(*newSettings, *newIcons)));
    } catch (const std::exception& failure) {
        warn(cat("applying the settings again failed: ", failure.what()));
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(newSettings.get()));
    settings = std::move(newSettings);
    icons = std::move(newIcons);
}

} // namespace

void note(bool quiet, std::string_view line) {
    if (quiet) return;
    std::fprintf(stderr, "%s: %.*s\n", shownName, static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

void warn(std::string_view line) {
    std::fprintf(stderr, "%s: warning: %.*s\n", shownName, static_cast<int>(line.size()),
                 line.data());
    std::fflush(stderr);
}

void setProgramName(const char* name) {
    shownName = name;
}

const char* programName() {
    return shownName;
}

std::string runSession(Library& library, const Settings& settings, const IconSet& icons,
                       const SessionOptions& options) {
    // A companion's own notify window takes stop requests only; its commands go to the parent.
    HWND window =
        createNotifyWindow(notifyProc, const_cast<void*>(static_cast<const void*>(&settings)),
                           options.commandWindow != nullptr ? kCompanionNotifyClass : kNotifyClass);
    if (window == nullptr)
        return cat("cannot create the notify window (error ", num(GetLastError()), ")");
    if (undoneEvent == nullptr) undoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (undoneEvent == nullptr) {
        DestroyWindow(window);
        return cat("cannot create an event (error ", num(GetLastError()), ")");
    }
    ResetEvent(undoneEvent);
    notifyWindow = window;
    if (options.findable) options.findable();
    // Fails without a console; WM_CLOSE still stops the session then.
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);

    Session session(library);
    std::unique_ptr<ProcessCompanion> companion;
    if (!options.companionProgram.empty()) {
        companion = std::make_unique<ProcessCompanion>(
            options.companionProgram, options.settingsFile, window, options.quiet, true,
            [quiet = options.quiet](const std::string& line, bool warning) {
                warning ? warn(line) : note(quiet, line);
            });
        session.setCompanion(companion.get());
    }
    session.install(options.commandWindow != nullptr ? options.commandWindow : window);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%#llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    note(options.quiet, std::string("hooks installed; notify window ") + handle);
    // Settings and icons read again later; alive until the restore has returned.
    std::unique_ptr<Settings> newerSettings;
    std::unique_ptr<IconSet> newerIcons;
    std::string problem;
    try {
        session.apply(settings, icons);
        note(options.quiet, cat("applied: ", describeApplied(settings, icons)));
    } catch (const std::exception& failure) {
        problem = std::string("applying the settings failed: ") + failure.what();
    }
    if (!problem.empty()) {
        // Straight to the undo: nothing may stay installed.
    } else {
        if (!options.once)
            note(options.quiet, "running; Ctrl+C or WM_CLOSE to the notify window stops it");
        else if (options.holdMs == 0 || SetTimer(window, kHoldTimer, options.holdMs, nullptr) == 0)
            PostQuitMessage(0);
        while (pump(window, options, companion.get()) == Woken::Reload)
            reload(window, session, options, newerSettings, newerIcons);
    }
    session.restore();
    note(options.quiet, "restored");
    session.stop();
    note(options.quiet, "hooks removed");

    notifyWindow = nullptr;
    DestroyWindow(window);
    SetEvent(undoneEvent);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    return problem;
}

} // namespace tarvikctl
