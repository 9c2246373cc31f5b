// tarvik.exe's state and what the windows do with it: one controller session
// for the desktop, the settings in force, on or off, and the app's windows. Its
// threads: this one (every window, the session's steps, the companion), the hooks'
// thread (hooks_thread.h), and one for each file read or program opened.
#pragma once

#include <windows.h>
#include <memory>
#include <string>

#include "companion.h"
#include "icon_files.h"
#include "library.h"
#include "session.h"
#include "settings.h"

namespace tarvik_app {

// Sent by another start of tarvik.exe to the notify window; the app answers kShowAck.
constexpr const char* kShowSettingsMessage = "TarvikToolBar.ShowSettings";
constexpr LRESULT kShowAck = 0x54415256; // "TARV"
// Class of the hidden top-level window that owns the notification icon and hears
// WM_QUERYENDSESSION, WM_ENDSESSION and "TaskbarCreated".
constexpr const char* kTrayClass = "TarvikToolBarApp";
// What the notification icon sends the tray window: lParam is the mouse message.
constexpr UINT kTrayCallback = WM_APP + 10;
constexpr const char* kAppTitle = "TarvikToolBar";
constexpr const char* kSheetTitle = "TarvikToolBar Settings";
// The app's own message-only window, to which the hooks' thread passes on what its
// notify window gets; not a notify window.
constexpr const char* kAppWindowClass = "TarvikToolBarAppWindow";
// Posted to the app's window: the icons of an Apply have been read (lParam: the tag),
// and a menu entry could not be opened (lParam: a new std::string, the message).
constexpr UINT kMsgIconsRead = WM_APP + 11;
constexpr UINT kMsgOpenFailed = WM_APP + 12;

struct App {
    HINSTANCE instance = nullptr;
    tarvikctl::Library library;
    std::unique_ptr<tarvikctl::Session> session;
    // 64-bit: the 32-bit tarvikctl that the session starts for the 32-bit frames.
    std::unique_ptr<tarvikctl::ProcessCompanion> companion;
    tarvikctl::Settings settings;
    std::unique_ptr<tarvikctl::IconSet> icons = std::make_unique<tarvikctl::IconSet>();
    std::string settingsPath;
    bool defaultPath = true;
    // Why the settings file could not be read at start; while set, the file is
    // only replaced once the user agreed.
    std::string unreadableFile;
    bool on = true;
    HWND window = nullptr; // the app's own message-only window
    HWND tray = nullptr;
    HWND sheet = nullptr;
    UINT showSettingsMessage = 0;
    bool settingsAsked = false; // asked for before the tray window existed
    std::string startNote;      // a problem met while starting, told once the app runs
    std::string companionNote;  // the companion's problem met while starting, told likewise
};

App& app();

// Applies the settings in force to every frame if the app is on.
void applyCurrent();
// Off: every frame restored, hooks kept. On: applied again.
void setOn(bool on);
// Takes new settings and their icons: applied live if on; the old icons go after.
void takeSettings(const tarvikctl::Settings& settings, std::unique_ptr<tarvikctl::IconSet> icons);
// Restores every frame, removes the hooks, closes the windows and ends the loop.
void shutDown();

// A message box owned by `owner` with the app's title.
int say(HWND owner, const std::string& text, UINT flags);

// Icons read on a thread of their own: a file may take long (a share gone away).
struct IconsRead {
    std::unique_ptr<tarvikctl::IconSet> icons = std::make_unique<tarvikctl::IconSet>();
    std::string problem = "The icon files were not read.";
    LPARAM tag = 0; // tells this read from earlier ones
};
// Starts reading the icons `settings` name; `message` is posted to `window` with the
// tag once done. Null if no thread could start (the user was told).
std::shared_ptr<IconsRead> readIcons(const tarvikctl::Settings& settings, HWND window,
                                     UINT message);

// Opens `target` as Explorer would (ShellExecute), on a thread of its own; a failure
// is told, naming `caption`, unless the caption is "".
void openInBackground(const std::string& target, const std::string& caption);

// The app's window procedure: what the notify window passes on (commands from the
// frames, stop requests, another start's request for the settings window) and the
// results of the background threads.
LRESULT CALLBACK appWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tarvik_app
