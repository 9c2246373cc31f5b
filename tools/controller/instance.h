// One tarvikctl per desktop. The library's hooks and settings are desktop-wide,
// so a second controller would silently take them over from the first. A running
// tarvikctl is found by its notify window; a named mutex makes "look, then start"
// one step, so that of two tarvikctl started together one sees the other.
#pragma once

#include <windows.h>
#include <optional>
#include <string>

namespace tarvikctl {

// Longest wait for a running tarvikctl to undo everything and end. Its undo gives
// a frame that does not answer 5 s per broadcast; this leaves room for one such.
constexpr DWORD kStopWaitMs = 30000;
// Longest wait for another tarvikctl to finish starting or stopping.
constexpr DWORD kLockWaitMs = kStopWaitMs + 10000;

struct RunningInstance {
    HWND window = nullptr; // its notify window
    DWORD processId = 0;
    std::string name = "tarvikctl"; // for messages: "tarvikctl", or "tarvik.exe" for the app
};

// Held from the look for a running tarvikctl until this one's notify window
// exists, or until it stopped the running one (--stop) or gave up.
class StartLock {
  public:
    StartLock() = default;
    ~StartLock() { release(); }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // "" once held, else why not. A holder that died leaves it free.
    std::string acquire(DWORD timeoutMs);
    void release();

  private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

// The notify window of a tarvikctl in another process on this desktop, if any.
std::optional<RunningInstance> findRunning();

// Asks it to undo everything and end (WM_CLOSE to its notify window) and waits up
// to `timeoutMs` for its process to end. "" once it has, else what went wrong.
std::string stopRunning(const RunningInstance& running, DWORD timeoutMs);

} // namespace tarvikctl
