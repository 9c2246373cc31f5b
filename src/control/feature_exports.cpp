// The change and restore exports: each stores its settings, then broadcasts
// one flag word to every top-level window.
#include "TarvikToolBar.h"
#include "control/broadcast.h"
#include "icons/icon_fills.h"
#include "state/identifiers.h"
#include "state/shared_state.h"
#include "windows/class_names.h"
#include "windows/classifier.h"

namespace {

int showHide(int (&hide)[kFrameKinds], int hideExplorer, int hideIE, LPARAM apply) {
    sharedState.inactive = 0;
    hide[0] = hideExplorer;
    hide[1] = hideIE;
    return broadcastToAllFrames(BC_MANUAL | apply);
}

int restore(LPARAM restoreBit) {
    sharedState.restoring = 1;
    return broadcastToAllFrames(BC_MANUAL | restoreBit);
}

// Explorer's lists and saved natives are per process: one whose frames live without the
// taskbar (a separate-process folder window, or the taskbar's restarted elsewhere) gets
// the taskbar's refill and release too, through each of its Explorer frames. The first
// does the work; the release leaves nothing for the others.
BOOL CALLBACK restoreListsElsewhere(HWND window, LPARAM taskbarProcess) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != static_cast<DWORD>(taskbarProcess) && isExplorerFrame(window))
        sendAndWait(window, MSG_RESTORE_ICONS, 0, 0);
    return TRUE;
}

} // namespace

extern "C" int __cdecl changeAllToolbar_EXPIE(void) {
    sharedState.inactive = 0;
    return broadcastToAllFrames(BC_MANUAL | BC_ICONS_APPLY);
}

extern "C" int __cdecl restoreAllToolbar_EXPIE(void) {
    bumpIconGeneration(); // no fill made before the restore is current after it
    restore(BC_ICONS_RESTORE);
    HWND taskbar = FindWindowA(kTaskbarClass, nullptr);
    // No taskbar: no process of its own, and the send to no window fails.
    DWORD taskbarProcess = 0;
    if (taskbar != nullptr) GetWindowThreadProcessId(taskbar, &taskbarProcess);
    EnumWindows(restoreListsElsewhere, static_cast<LPARAM>(taskbarProcess));
    // The taskbar last, as before: its answer is the export's.
    LRESULT result = 0;
    sendAndWait(taskbar, MSG_RESTORE_ICONS, 0, 0, &result);
    sharedState.explorerIconsApplied = 0;
    sharedState.inactive = 1;
    sharedState.restoring = 0;
    return static_cast<int>(result);
}

extern "C" int __cdecl showHideAllLogo_EXPIE(int hideExplorer, int hideIE) {
    return showHide(sharedState.hideLogo, hideExplorer, hideIE, BC_LOGO_APPLY);
}

extern "C" int __cdecl restoreAllLogo_EXPIE(void) {
    return restore(BC_LOGO_RESTORE);
}

extern "C" int __cdecl showHideAllMenu_EXPIE(int hideExplorer, int hideIE) {
    return showHide(sharedState.hideMenu, hideExplorer, hideIE, BC_MENU_APPLY);
}

extern "C" int __cdecl restoreAllMenu_EXPIE(void) {
    return restore(BC_MENU_RESTORE);
}

extern "C" int __cdecl showHideAllHeader_EXPIE(int hideExplorer, int hideIE) {
    return showHide(sharedState.hideHeader, hideExplorer, hideIE, BC_HEADER_APPLY);
}

extern "C" int __cdecl restoreAllHeader_EXPIE(void) {
    return restore(BC_HEADER_RESTORE);
}

extern "C" int __cdecl showHideAllDropdownArrow_EXPIE(int hideExplorer, int hideIE) {
    return showHide(sharedState.hideDropdown, hideExplorer, hideIE, BC_DROPDOWN_APPLY);
}

extern "C" int __cdecl restoreAllDropdownArrow_EXPIE(void) {
    return restore(BC_DROPDOWN_RESTORE);
}

// The toggle key is fixed; old controllers still call this.
extern "C" void __cdecl setShowMenuVKey(int) {}
