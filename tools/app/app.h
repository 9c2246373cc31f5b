// tarvik.exe's state and what the windows do with it: one controller session
// for the desktop, the settings in force, on or off, and the app's windows.
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
    HWND notify = nullptr;
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

// The notify window's procedure: commands from the frames, stop requests, and
// another start's request for the settings window.
LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tarvik_app
