// The thread that installs the hooks and makes every call into the library. The system
// calls into it (the low-level keyboard hook before any program gets a keystroke; on
// 64-bit Windows every hook of the other bitness), so it does nothing else: its loop
// takes messages, each library call comes to it as a message, and its notify window
// hands what it receives on to the owner's window. Whatever can block (files, output,
// dialogs, programs opened, other processes) stays with the owner and its helpers.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "library.h"

namespace tarvikctl {

// A message the notify window posts on to the owner, and its answer to a sender.
struct Forward {
    UINT message = 0;
    LRESULT answer = 0;
};

class HooksThread {
  public:
    HooksThread() = default;
    ~HooksThread();
    HooksThread(const HooksThread&) = delete;
    HooksThread& operator=(const HooksThread&) = delete;

    // Starts the thread, which makes a notify window of `notifyClass` and installs the
    // hooks with `commandWindow` (null: that notify window) as the library's notify
    // window. "" once installed, else the problem (nothing is installed then).
    std::string start(Library& library, const char* notifyClass, HWND commandWindow, HWND owner,
                      std::vector<Forward> forwards);
    // Runs `calls`, calls into the library and nothing else, on the thread; returns once
    // they have, taking sent messages meanwhile. Nothing once stopped.
    void call(const std::function<void()>& calls);
    // Removes the hooks and ends the thread. Safe to call twice.
    void stop();

    HWND notifyWindow() const { return window_; }

  private:
    static DWORD WINAPI run(void* self);
    static LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Library* library_ = nullptr;
    const char* notifyClass_ = nullptr;
    HWND commandWindow_ = nullptr;
    HWND owner_ = nullptr;
    std::vector<Forward> forwards_;
    HANDLE thread_ = nullptr;
    HANDLE started_ = nullptr;
    HWND window_ = nullptr;
    std::string problem_;
};

} // namespace tarvikctl
