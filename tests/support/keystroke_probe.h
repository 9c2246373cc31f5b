// Keystrokes typed into a window of the test program while a controller works, and
// when each arrived. Under Wine a key event waits for the low-level keyboard hooks'
// threads (up to about 2 s each), so a controller whose hooks' thread does not take
// messages shows here as keystrokes held.
#pragma once

#include <windows.h>
#include <functional>

namespace tarvik::test {

// A keystroke later than this right after another late one counts as held: a thread
// that does not take messages holds every keystroke while it waits, a loaded machine
// under emulation delays a single one now and then.
constexpr DWORD kKeyHeldMs = 250;
// None may take this long: Wine gives up on a low-level hook after about 2 s.
constexpr DWORD kKeyHookTimeoutMs = 1500;

// What the keystrokes typed during one phase met.
struct Typed {
    bool done = false; // the phase ended in time
    int strokes = 0;
    DWORD longest = 0; // ms from SendInput to the window, the slowest key event
    int heldTwice = 0; // keystrokes that came late right after a late one
};

class KeystrokeProbe {
  public:
    KeystrokeProbe() = default;
    ~KeystrokeProbe();
    KeystrokeProbe(const KeystrokeProbe&) = delete;
    KeystrokeProbe& operator=(const KeystrokeProbe&) = delete;

    // Shows the window and makes it the foreground window.
    bool create();
    // Types (Shift, which a window that takes the keyboard instead does not act on)
    // until `done` holds or `limitMs` passed. Keys that went to another window, which
    // took the foreground meanwhile, are not counted.
    Typed typeUntil(const std::function<bool()>& done, DWORD limitMs);

    HWND window() const { return window_; }

  private:
    DWORD event(bool down);
    HWND window_ = nullptr;
};

} // namespace tarvik::test
