// Install, apply, pump, undo: the calling order the library expects, all on
// the thread that installed the hooks. Stop requests from other threads (the
// console handler) are posted to the notify window, so that the undo runs
// here too.
#include "session.h"
#include "text.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <vector>

namespace tarvikctl {

static_assert(kIconSlots == TARVIK_ICON_SLOTS, "icon tables as the library's");
static_assert(kMenuEntries == TARVIK_POPUP_ITEMS, "menu entries as the library's");
static_assert(kCaptionMaxBytes + 1 == TARVIK_CAPTION_BYTES, "captions as the library's");
static_assert(kReservedCommandId == CMD_TOGGLE_MENUBAR, "the library's own menu command");

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
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
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

HWND createNotifyWindow(const Settings& settings, const char* className) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = notifyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    // Message-only: posted messages arrive, broadcasts and window enumerations skip it.
    return CreateWindowExA(0, className, kNotifyTitle, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance,
                           const_cast<void*>(static_cast<const void*>(&settings)));
}

void apply(Library& library, const Settings& settings, const IconSet& icons, bool quiet) {
    // Whole tables: slots past the last icon are cleared of any earlier run's handles.
    library.setIcons(icons.large.data(), icons.largeHot.data(), kIconSlots, icons.largeSize);
    library.setSmallIcons(icons.small.data(), icons.smallHot.data(), kIconSlots, icons.smallSize);
    if (settings.menuEnabled) {
        std::vector<int> ids;
        std::vector<const char*> texts;
        for (const MenuEntry& entry : settings.menuEntries) {
            ids.push_back(entry.id);
            texts.push_back(entry.caption.c_str());
        }
        // A menu without items still has the menu-bar item; the library wants tables.
        ids.push_back(0);
        texts.push_back("");
        library.setPopupMenuItem(settings.menuTitle.c_str(), ids.data(), texts.data(),
                                 static_cast<int>(settings.menuEntries.size()),
                                 settings.toggleCaption.c_str());
    } else {
        library.setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
    }
    library.changeAllToolbar();
    const FrameOptions& e = settings.explorer;
    const FrameOptions& b = settings.browser;
    library.showHideAllLogo(e.hideLogo, b.hideLogo);
    library.showHideAllMenu(e.hideMenu, b.hideMenu);
    library.showHideAllHeader(e.hideTitles, b.hideTitles);
    library.showHideAllDropdownArrow(e.hideDropdowns, b.hideDropdowns);
    note(quiet, cat("applied: ", num(icons.slotsInUse()), " icon slots (", num(icons.largeSize),
                    " and ", num(icons.smallSize), " px), menu ",
                    (settings.menuEnabled ? "extended" : "untouched")));
}

// The toolbar goes last: until then the icons it shows are still in use.
void undo(Library& library, bool quiet) {
    library.restoreAllLogo();
    library.restoreAllMenu();
    library.restoreAllHeader();
    library.restoreAllDropdownArrow();
    library.restoreAllToolbar();
    note(quiet, "restored");
    library.uninstallHook();
    note(quiet, "hooks removed");
}

// Until WM_QUIT or one of `endOn` is signalled; the end of `watched` is reported once.
void pump(const SessionOptions& options, HANDLE watched) {
    std::vector<HANDLE> handles(options.endOn);
    const DWORD ends = static_cast<DWORD>(handles.size());
    if (watched != nullptr) handles.push_back(watched);
    MSG message;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD count = static_cast<DWORD>(handles.size());
        const DWORD woke =
            MsgWaitForMultipleObjects(count, handles.data(), FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_FAILED || woke < WAIT_OBJECT_0 + ends) return;
        if (woke < WAIT_OBJECT_0 + count) {
            handles.pop_back();
            if (options.watchedEnded) options.watchedEnded();
        }
    }
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
    HWND window = createNotifyWindow(settings, options.notifyClass);
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

    // The hooks are set with the library's own module, as LoadLibrary gave it.
    library.installHook(library.module(),
                        options.commandWindow != nullptr ? options.commandWindow : window);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%#llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    note(options.quiet, std::string("hooks installed; notify window ") + handle);
    std::string problem;
    try {
        apply(library, settings, icons, options.quiet);
    } catch (const std::exception& failure) {
        problem = std::string("applying the settings failed: ") + failure.what();
    }
    HANDLE watched = nullptr;
    if (problem.empty() && options.applied) watched = options.applied(window);
    if (!problem.empty()) {
        // Straight to the undo: nothing may stay installed.
    } else if (options.once) {
        if (options.holdMs == 0 || SetTimer(window, kHoldTimer, options.holdMs, nullptr) == 0)
            PostQuitMessage(0);
        pump(options, watched);
    } else {
        note(options.quiet, "running; Ctrl+C or WM_CLOSE to the notify window stops it");
        pump(options, watched);
    }
    if (options.undoing) options.undoing();
    undo(library, options.quiet);

    notifyWindow = nullptr;
    DestroyWindow(window);
    SetEvent(undoneEvent);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    return problem;
}

} // namespace tarvikctl
