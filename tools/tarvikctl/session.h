// One run of the controller against the library: install the hooks, apply
// the settings, pump messages, then undo everything in the library's order.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "icon_files.h"
#include "library.h"
#include "settings.h"

namespace tarvikctl {

// The notify window: message-only, found with
// FindWindowEx(HWND_MESSAGE, nullptr, kNotifyClass, kNotifyTitle).
constexpr const char* kNotifyClass = "TarvikCtlNotify";
constexpr const char* kNotifyTitle = "tarvikctl";

// Longest --hold accepted: one day.
constexpr DWORD kMaxHoldMs = 24u * 60u * 60u * 1000u;

// A companion's notify window: not found as a running tarvikctl.
constexpr const char* kCompanionNotifyClass = "TarvikCtlCompanion";

struct SessionOptions {
    bool once = false;  // undo and end after holdMs instead of waiting to be stopped
    DWORD holdMs = 0;   // with once: how long to keep pumping first
    bool quiet = false; // no progress lines on stderr
    const char* notifyClass = kNotifyClass;
    // Where the library posts MSG_POPUP_COMMAND; nullptr: this session's notify window.
    HWND commandWindow = nullptr;
    // Handles whose signal ends the session, as WM_CLOSE does.
    std::vector<HANDLE> endOn;
    // Called once the notify window exists: from then on another tarvikctl finds this one.
    std::function<void()> findable;
    // Called once the settings are applied; may return a process to watch, whose end
    // is reported to `watchedEnded` while the session goes on.
    std::function<HANDLE(HWND notifyWindow)> applied;
    std::function<void()> watchedEnded;
    // Called before the undo.
    std::function<void()> undoing;
};

// Runs the session on this thread, which keeps pumping while the hooks are
// in (the low-level keyboard hook runs here). Ends on WM_CLOSE to the notify
// window, a console control event, or the end of the hold. The icons must stay
// alive until this returns. "" or what failed (nothing is left installed then).
std::string runSession(Library& library, const Settings& settings, const IconSet& icons,
                       const SessionOptions& options);

// Prints a progress line on stderr unless quiet.
void note(bool quiet, std::string_view line);
// Prints a warning on stderr, quiet or not.
void warn(std::string_view line);
// The name progress lines, warnings and errors start with ("tarvikctl" unless set).
void setProgramName(const char* name);
const char* programName();

} // namespace tarvikctl
