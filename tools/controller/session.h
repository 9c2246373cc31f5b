// The controller's side of the library's calling order, shared by both front ends:
// install once, apply as often as the settings change, restore, uninstall; every
// call on the thread that installed the hooks, which keeps pumping meanwhile.
#pragma once

#include <windows.h>
#include <string>

#include "icon_files.h"
#include "library.h"
#include "settings.h"

namespace tarvikctl {

// The notify window of a running controller (tarvikctl or the app): message-only,
// found with FindWindowEx(HWND_MESSAGE, nullptr, kNotifyClass, kNotifyTitle).
// WM_CLOSE to it makes the controller undo everything and end.
constexpr const char* kNotifyClass = "TarvikCtlNotify";
constexpr const char* kNotifyTitle = "tarvikctl";

// A companion's notify window: not found as a running controller.
constexpr const char* kCompanionNotifyClass = "TarvikCtlCompanion";

// Registers the notify window class with `procedure` and makes the window, its
// GWLP_USERDATA set to `data`. Null on failure (GetLastError says why).
HWND createNotifyWindow(WNDPROC procedure, void* data, const char* className = kNotifyClass);

// Another controller of the other bitness that the session drives alongside the
// library of this one (ProcessCompanion); Session forwards each step.
class Companion {
  public:
    virtual ~Companion() = default;
    virtual void apply(const Settings& settings) = 0;
    virtual void restore() = 0;
    virtual void stop() = 0;
};

class Session {
  public:
    explicit Session(Library& library) : library_(library) {}
    ~Session() { stop(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // installHook with the library's own module; `notify` receives MSG_POPUP_COMMAND.
    void install(HWND notify);
    // Hands the tables to the library and broadcasts every setting. The icons must
    // stay alive until the next apply or restore has returned.
    void apply(const Settings& settings, const IconSet& icons);
    // Every frame back to its native look; the hooks stay in.
    void restore();
    // restore() if applied, then the hooks out. Safe to call twice.
    void stop();

    void setCompanion(Companion* companion) { companion_ = companion; }
    bool installed() const { return installed_; }
    bool applied() const { return applied_; }

  private:
    Library& library_;
    Companion* companion_ = nullptr;
    bool installed_ = false;
    bool applied_ = false;
};

// "<n> icon slots (<large> and <small> px), menu extended|untouched": what apply gave.
std::string describeApplied(const Settings& settings, const IconSet& icons);

} // namespace tarvikctl
