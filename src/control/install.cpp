// installHook_EXPIE and uninstallHook_EXPIE: the six hooks go in through one
// table, in its order, and come out in the reverse order, so the two stay
// mirror images. Only hooks this process installed are ever removed.
#include <iterator>
#include "TarvikToolBar.h"
#include "control/broadcast.h"
#include "hooks/hooks.h"
#include "icons/icon_fills.h"
#include "state/identifiers.h"
#include "state/process_state.h"
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
static_assert(std::size(kHooks) == kHookCount, "one record slot per hook");
// Uninstall stops the frames' timers through this hook, so it comes out last.
static_assert(kHooks[0].id == WH_CALLWNDPROC, "the call-window hook goes in first");

constexpr int kLargeIconDefault = 24;
constexpr int kSmallIconDefault = 16;

// The handle in the shared block is only a record: any process can write it, and
// UnhookWindowsHookEx on a forged one could take out somebody else's hook.
void removeHook(int index) {
    HHOOK& own = processState.installedHooks[index];
    if (own != nullptr) UnhookWindowsHookEx(own);
    own = nullptr;
    sharedState.*kHooks[index].handle = nullptr;
}

void addHook(int index, HINSTANCE hookModule) {
    const HookSlot& slot = kHooks[index];
    processState.installedHooks[index] = SetWindowsHookExA(slot.id, slot.procedure, hookModule, 0);
    sharedState.*slot.handle = processState.installedHooks[index];
}

// The marks tell which buttons had drop-down arrows. While arrows are set to be
// hidden, some frame may still lack them (its controller may have died before its
// restore), and only the marks can give them back.
void clearDropdownMarks() {
    if (sharedState.hideDropdown[0] != 0 || sharedState.hideDropdown[1] != 0) return;
    for (auto& row : sharedState.dropdownTouched)
        for (int& touched : row)
            touched = 0;
}

void setDefaults(HWND notifyWindow) {
    sharedState.notifyWindow = notifyWindow;
    clearDropdownMarks();
    for (int i = 0; i < kIconSlots; ++i)
        sharedState.iconIndex[i] = i;
    sharedState.iconCount = kIconSlots;
    sharedState.largeIconSize = kLargeIconDefault;
    sharedState.smallIconSize = kSmallIconDefault;
    bumpIconGeneration();
}

// A pending timer would keep ticking into its frame after the hooks are gone.
BOOL CALLBACK stopTimersOnFrame(HWND window, LPARAM) {
    if (frameKindOf(window) != kKindNone) sendAndWait(window, MSG_STOP_TIMERS, 0, 0);
    return TRUE;
}

} // namespace

extern "C" int __cdecl installHook_EXPIE(HINSTANCE hookModule, HWND notifyWindow) {
    for (int i = 0; i < kHookCount; ++i) {
        removeHook(i); // an earlier installation's hook would otherwise stay for good
        addHook(i, hookModule);
    }
    setDefaults(notifyWindow);
    sharedState.inactive = 1;
    // Left at 1 by a controller that died within its restore, it would keep every
    // frame from being kept up for the whole of this controller's session.
    sharedState.restoring = 0;
    return 0;
}

// The hooks that act on timer ticks and input come out first: a frame's thread may
// take a due tick between two stop messages, and it must find nothing to act on.
extern "C" int __cdecl uninstallHook_EXPIE(void) {
    sharedState.inactive = 1; // no new re-apply timer while the old ones are stopped
    for (int i = kHookCount - 1; i > 0; --i)
        removeHook(i);
    EnumWindows(stopTimersOnFrame, 0);
    removeHook(0);
    setPopupMenuItem(nullptr, nullptr, nullptr, 0, nullptr);
    sharedState.inactive = 1;
    return 0;
}
