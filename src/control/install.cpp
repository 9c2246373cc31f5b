// installHook_EXPIE and uninstallHook_EXPIE: the six hooks go in and come out
// through one table, in the same order, so the two stay mirror images.
#include "TarvikToolBar.h"
#include "control/broadcast.h"
#include "hooks/hooks.h"
#include "state/identifiers.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

struct HookSlot {
    int id;
    HOOKPROC procedure;
    HHOOK SharedState::*handle;
};

constexpr HookSlot kHooks[] = {
    {WH_CALLWNDPROC, callWndProcHook, &SharedState::hookCallWndProc},
    {WH_CALLWNDPROCRET, callWndRetProcHook, &SharedState::hookCallWndProcRet},
    {WH_GETMESSAGE, getMessageHook, &SharedState::hookGetMessage},
    {WH_MOUSE, mouseHook, &SharedState::hookMouse},
    {WH_KEYBOARD, keyboardHook, &SharedState::hookKeyboard},
    {WH_KEYBOARD_LL, lowLevelKeyboardHook, &SharedState::hookKeyboardLL},
};

constexpr int kLargeIconDefault = 24;
constexpr int kSmallIconDefault = 16;

void removeHook(const HookSlot& slot) {
    HHOOK& handle = sharedState.*slot.handle;
    if (handle != nullptr) {
        UnhookWindowsHookEx(handle);
        handle = nullptr;
    }
}

void setDefaults(HWND notifyWindow) {
    sharedState.notifyWindow = notifyWindow;
    for (auto& row : sharedState.dropdownTouched)
        for (int& touched : row)
            touched = 0;
    for (int i = 0; i < kIconSlots; ++i)
        sharedState.iconIndex[i] = i;
    sharedState.iconCount = kIconSlots;
    sharedState.largeIconSize = kLargeIconDefault;
    sharedState.smallIconSize = kSmallIconDefault;
}

// A pending timer would keep ticking into its frame after the hooks are gone.
BOOL CALLBACK stopTimersOnFrame(HWND window, LPARAM) {
    if (frameKindOf(window) != kKindNone) sendAndWait(window, MSG_STOP_TIMERS, 0, 0);
    return TRUE;
}

} // namespace

extern "C" int __cdecl installHook_EXPIE(HINSTANCE hookModule, HWND notifyWindow) {
    for (const HookSlot& slot : kHooks) {
        removeHook(slot); // an earlier installation's hook would otherwise stay for good
        sharedState.*slot.handle = SetWindowsHookExA(slot.id, slot.procedure, hookModule, 0);
    }
    setDefaults(notifyWindow);
    sharedState.inactive = 1;
    return 0;
}

extern "C" int __cdecl uninstallHook_EXPIE(void) {
    sharedState.inactive = 1; // no new re-apply timer while the old ones are stopped
    EnumWindows(stopTimersOnFrame, 0);
    for (const HookSlot& slot : kHooks)
        removeHook(slot);
    setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
    sharedState.inactive = 1;
    return 0;
}
