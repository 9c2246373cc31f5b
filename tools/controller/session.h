// The controller's side of the library's calling order, shared by both front ends:
// install once, apply as often as the settings change, restore, uninstall. The calls
// run on the hooks' thread (hooks_thread.h); the session is driven from another one.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "hooks_thread.h"
#include "icon_files.h"
#include "library.h"
#include "settings.h"

namespace tarvikctl {

// The notify window of a running controller (tarvikctl or the app): message-only, on
// the hooks' thread, found with FindWindowEx(HWND_MESSAGE, nullptr, kNotifyClass,
// kNotifyTitle). WM_CLOSE to it makes the controller undo everything and end.
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

    // Starts the hooks' thread, which installs the hooks with the library's own module
    // and makes the notify window (of `notifyClass`); `commandWindow` (null: the notify
    // window) receives MSG_POPUP_COMMAND. The notify window posts `forwards` on to
    // `owner`. "" or the problem; nothing is installed then.
    std::string install(HWND owner, std::vector<Forward> forwards,
                        const char* notifyClass = kNotifyClass, HWND commandWindow = nullptr);
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
    HWND notifyWindow() const { return hooks_.notifyWindow(); }

  private:
    Library& library_;
    HooksThread hooks_;
    Companion* companion_ = nullptr;
    bool installed_ = false;
    bool applied_ = false;
};

// "<n> icon slots (<large> and <small> px), menu extended|untouched": what apply gave.
std::string describeApplied(const Settings& settings, const IconSet& icons);

} // namespace tarvikctl
