// This thread drives the session through its own window: the hooks' thread passes the
// commands and stop requests its notify window gets on to it, and so does the console
// handler. Reading files runs on threads of its own, output goes to the writers, so
// nothing this thread does waits for the world outside for long.
#include "console_session.h"
#include "background.h"
#include "companion.h"
#include "session.h"
#include "text.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

namespace tarvikctl {

namespace {

constexpr UINT kMsgStop = WM_APP + 1; // from the console handler
constexpr UINT_PTR kHoldTimer = 1;
// The system ends a process about 5 s after a close event; undo before that.
constexpr DWORD kCloseWaitMs = 4500;
// The window of the thread that drives the session; not a notify window.
constexpr const char* kSessionClass = "TarvikCtlSession";

std::atomic<HWND> sessionWindow{nullptr};
HANDLE undoneEvent = nullptr; // never closed: a console handler may still wait on it

void printCommand(const Settings& settings, WPARAM id) {
    const std::string caption =
        id <= static_cast<WPARAM>(kMaxCommandId) ? captionOf(settings, static_cast<int>(id)) : "";
    const std::string number = std::to_string(static_cast<unsigned long long>(id));
    writeLine(Stream::Out, caption.empty() ? cat("command ", number)
                                           : cat("command ", number, " (", caption, ")"));
}

LRESULT CALLBACK sessionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
    if (HWND window = sessionWindow.load()) PostMessageA(window, kMsgStop, event, 0);
    // After a close, logoff or shutdown event returns, the process is ended.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(undoneEvent, kCloseWaitMs);
    return TRUE;
}

enum class Woken { End, Reload, Read };

// Until WM_QUIT or one of `endOn` is signalled (End), a reload is asked for, or
// `reading` is signalled (Read); a companion that ends meanwhile is reported once.
Woken pump(HWND window, const SessionOptions& options, ProcessCompanion* companion,
           HANDLE reading) {
    std::vector<HANDLE> handles(options.endOn);
    if (options.reloadOn != nullptr) handles.push_back(options.reloadOn);
    const DWORD ends = static_cast<DWORD>(options.endOn.size());
    const DWORD fixed = static_cast<DWORD>(handles.size());
    if (reading != nullptr) handles.push_back(reading);
    const DWORD withReading = static_cast<DWORD>(handles.size());
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return Woken::End;
            if (message.message == kMsgReload && message.hwnd == window) return Woken::Reload;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        handles.resize(withReading);
        if (companion != nullptr && companion->process() != nullptr)
            handles.push_back(companion->process());
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woke =
            MsgWaitForMultipleObjects(count, handles.data(), FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_FAILED || woke < WAIT_OBJECT_0 + ends) return Woken::End;
        if (woke < WAIT_OBJECT_0 + fixed) return Woken::Reload;
        if (woke < WAIT_OBJECT_0 + withReading) return Woken::Read;
        if (woke < WAIT_OBJECT_0 + count) companion->ended();
    }
}

// Settings and icons read again, and what went wrong; shared with the reading thread,
// which may still run when the session ends.
struct Reread {
    Settings settings;
    IconSet icons;
    std::string problem = "the settings were not read";
};

// Starts reading the settings again; `done` is signalled once read. Null if it could not start.
std::shared_ptr<Reread> startReread(const SessionOptions& options, HANDLE& done) {
    auto read = std::make_shared<Reread>();
    done = runInBackground([read, reread = options.reread] {
        try {
            read->problem = reread(read->settings, read->icons);
        } catch (const std::exception& failure) {
            read->problem = failure.what();
        }
    });
    if (done == nullptr)
        warn(cat("cannot read the settings again (error ", num(GetLastError()), ")"));
    return done != nullptr ? read : nullptr;
}

// Applies what was read again; it replaces `inForce` once the library is done with the
// settings and icons before.
void takeReread(HWND window, Session& session, const SessionOptions& options,
                std::shared_ptr<Reread> read, std::shared_ptr<Reread>& inForce) {
    if (!read->problem.empty()) return warn(cat("the settings in force stay: ", read->problem));
    try {
        session.apply(read->settings, read->icons);
        note(options.quiet, cat("applied again: ", describeApplied(read->settings, read->icons)));
    } catch (const std::exception& failure) {
        warn(cat("applying the settings again failed: ", failure.what()));
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&read->settings));
    inForce = std::move(read);
}

} // namespace

std::string runSession(Library& library, const Settings& settings, const IconSet& icons,
                       const SessionOptions& options) {
    startWriters();
    HWND window = createNotifyWindow(
        sessionProc, const_cast<void*>(static_cast<const void*>(&settings)), kSessionClass);
    if (window == nullptr)
        return cat("cannot create the session's window (error ", num(GetLastError()), ")");
    if (undoneEvent == nullptr) undoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (undoneEvent == nullptr) {
        DestroyWindow(window);
        return cat("cannot create an event (error ", num(GetLastError()), ")");
    }
    ResetEvent(undoneEvent);
    sessionWindow = window;
    // Fails without a console; WM_CLOSE still stops the session then.
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);

    Session session(library);
    // A companion's own notify window takes stop requests only; its commands go to the parent.
    std::string problem =
        session.install(window, {{MSG_POPUP_COMMAND}, {WM_CLOSE}, {kMsgReload}},
                        options.commandWindow != nullptr ? kCompanionNotifyClass : kNotifyClass,
                        options.commandWindow);
    if (!problem.empty()) {
        sessionWindow = nullptr;
        DestroyWindow(window);
        SetEvent(undoneEvent);
        SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        return problem;
    }
    if (options.findable) options.findable();
    std::unique_ptr<ProcessCompanion> companion;
    if (!options.companionProgram.empty()) {
        companion = std::make_unique<ProcessCompanion>(
            options.companionProgram, options.settingsFile, session.notifyWindow(), options.quiet,
            true, [quiet = options.quiet](const std::string& line, bool warning) {
                warning ? warn(line) : note(quiet, line);
            });
        session.setCompanion(companion.get());
    }
    char handle[32];
    std::snprintf(
        handle, sizeof handle, "%#llx",
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(session.notifyWindow())));
    note(options.quiet, std::string("hooks installed; notify window ") + handle);
    // Settings and icons read again later; alive until the restore has returned.
    std::shared_ptr<Reread> inForce, reading;
    HANDLE readDone = nullptr;
    bool readAgain = false; // asked again while reading
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
        for (Woken woken;
             (woken = pump(window, options, companion.get(), readDone)) != Woken::End;) {
            if (woken == Woken::Read) {
                CloseHandle(readDone);
                readDone = nullptr;
                takeReread(window, session, options, std::move(reading), inForce);
            } else if (reading != nullptr) {
                readAgain = true; // once this read is in force
                continue;
            }
            if (options.reread && (woken == Woken::Reload || std::exchange(readAgain, false)))
                reading = startReread(options, readDone);
        }
    }
    // A read still under way ends on its own; its result goes nowhere.
    if (readDone != nullptr) CloseHandle(readDone);
    session.restore();
    note(options.quiet, "restored");
    session.stop();
    note(options.quiet, "hooks removed");

    sessionWindow = nullptr;
    DestroyWindow(window);
    SetEvent(undoneEvent);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    return problem;
}

} // namespace tarvikctl
