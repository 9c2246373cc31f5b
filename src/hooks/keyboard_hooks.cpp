// The Alt tap: keyboardHook follows Alt in the process that takes the keys;
// lowLevelKeyboardHook, on the controller's thread, sees Alt go down and come
// up with nothing in between while a toggle frame is in front, and has the
// frame toggle its menu band. Neither does anything unless a band is hidden.
#include "hooks/hooks.h"
#include "TarvikToolBar.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/own_window.h"
#include "windows/toggle_frame.h"

namespace {

// Keystroke flags of WH_KEYBOARD: bit 29 Alt held, bit 31 key being released.
constexpr DWORD kAltHeldBit = DWORD(1) << 29;
constexpr DWORD kReleasedBit = DWORD(1) << 31;

bool isAltKey(DWORD vk) {
    return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
}

void onKeystroke(DWORD flags) {
    if (flags & kAltHeldBit) processState.altPending = 1;
    if (!(flags & kReleasedBit)) processState.altPending = 0;
}

// A frame of the other bitness is left to the library of its bitness, whose
// own controller answers the same tap.
bool isOurToggleFrame(HWND foreground) {
    return isToggleFrame(foreground) && hasOwnBitness(foreground);
}

void onSysKeyDown(const KBDLLHOOKSTRUCT& key) {
    if (!isAltKey(key.vkCode))
        processState.altPending = 0;
    else if (isOurToggleFrame(GetForegroundWindow()))
        processState.altPending = 1;
}

// Alt released alone arrives as WM_SYSKEYUP, after another key as WM_KEYUP: both count.
void onKeyUp(const KBDLLHOOKSTRUCT& key) {
    if (!isAltKey(key.vkCode)) {
        processState.altPending = 0;
        return;
    }
    HWND foreground = GetForegroundWindow();
    if (processState.altPending == 0 || !isOurToggleFrame(foreground)) return;
    // Every program's keystrokes wait for this hook, so it never waits for the
    // frame: the frame's thread takes the toggle as a sent message, through its
    // call-window hook, as soon as it is free, and before this release.
    SendNotifyMessageA(foreground, MSG_TOGGLE_MENUBAR, 0, 0);
    processState.altPending = 0;
}

} // namespace

LRESULT CALLBACK keyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && anyMenuHidden()) onKeystroke(static_cast<DWORD>(lParam));
    return CallNextHookEx(sharedState.hookKeyboard, code, wParam, lParam);
}

LRESULT CALLBACK lowLevelKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && anyMenuHidden()) {
        const KBDLLHOOKSTRUCT& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        switch (wParam) {
        case WM_SYSKEYDOWN: onSysKeyDown(key); break;
        case WM_KEYUP:
        case WM_SYSKEYUP: onKeyUp(key); break;
        }
    }
    return CallNextHookEx(sharedState.hookKeyboardLL, code, wParam, lParam);
}
