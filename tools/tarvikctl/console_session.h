// tarvikctl's run: the controller session driven from a console, which prints the
// commands chosen in the frames and stops on a console event or WM_CLOSE.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "icon_files.h"
#include "library.h"
#include "output.h"
#include "settings.h"

namespace tarvikctl {

// Longest --hold accepted: one day.
constexpr DWORD kMaxHoldMs = 24u * 60u * 60u * 1000u;
// Posted to the notify window by 'tarvikctl --reload': read the settings again, apply.
constexpr UINT kMsgReload = WM_APP + 2;

struct SessionOptions {
    bool once = false;  // undo and end after holdMs instead of waiting to be stopped
    DWORD holdMs = 0;   // with once: how long to keep pumping first
    bool quiet = false; // no progress lines on stderr
    // Called once the notify window exists: from then on another controller finds this one.
    std::function<void()> findable;
    // A parent's side: the 32-bit companion to start once applied; "" for none. It
    // reads `settingsFile`.
    std::string companionProgram;
    std::string settingsFile;
    // A companion's side: where the library posts commands (the parent's notify
    // window), and handles whose signal ends the session as WM_CLOSE does.
    HWND commandWindow = nullptr;
    std::vector<HANDLE> endOn;
    // Signalled (a companion's parent applies again) like kMsgReload arriving.
    HANDLE reloadOn = nullptr;
    // For a reload: "" with new settings and icons, or what is wrong (the ones in
    // force stay). Runs on a thread of its own (a file may take long), so it uses
    // nothing but what it holds. Null: reloads are ignored.
    std::function<std::string(Settings& settings, IconSet& icons)> reread;
};

// Runs the session from this thread; the hooks live on a thread of their own that only
// takes messages and calls the library, and the output goes through the writers
// (output.h). Ends on WM_CLOSE to the notify window, a console control event, or the
// end of the hold; applies again on a reload. The icons must stay alive until this
// returns. "" or what failed (nothing is left installed then).
std::string runSession(Library& library, const Settings& settings, const IconSet& icons,
                       const SessionOptions& options);

} // namespace tarvikctl
