// callWndProcHook: runs on the receiving thread before the window procedure.
// It turns the private messages into walks over the frame, re-applies the
// settings to frames being shown, and follows visual-style changes.
#include "hooks/hooks.h"
#include "bands/band_titles.h"
#include "bands/dropdown_arrows.h"
#include "bands/logo_band.h"
#include "bands/menu_band.h"
#include "hooks/reapply.h"
#include "hooks/theme_change.h"
#include "hooks/verified_walks.h"
#include "icons/icon_release.h"
#include "icons/icon_walk.h"
#include "menu/popup_menu.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/own_window.h"

namespace {

// A handler asks whose window it is only once the settings say it would act. A
// window of another process reaches this hook in the controller's thread only
// (a hook of the other bitness), and is passed over there.
bool active(HWND window) {
    return sharedState.inactive == 0 && isOwnWindow(window);
}
bool autoReapplyOn(HWND window) {
    return sharedState.inactive == 0 && sharedState.restoring == 0 && isOwnWindow(window);
}

// wParam 1 applies the kind's hide setting; any other value shows.
int showFlag(WPARAM wp, const int (&hide)[kFrameKinds], LPARAM kind) {
    return wp == kApply ? (hide[kindIndex(kind)] == 0 ? 1 : 0) : 1;
}

void onShowWindow(const CWPSTRUCT& sent) {
    if (sent.wParam != 0 && autoReapplyOn(sent.hwnd)) reapplyToFrame(sent.hwnd);
}

void onWindowPosChanged(const CWPSTRUCT& sent) {
    // Another process's WINDOWPOS is not ours to read: ownership first.
    if (sent.lParam == 0 || !autoReapplyOn(sent.hwnd)) return;
    if (reinterpret_cast<const WINDOWPOS*>(sent.lParam)->flags & SWP_SHOWWINDOW)
        reapplyToFrame(sent.hwnd);
}

void onSetIcons(const CWPSTRUCT& sent) {
    if (active(sent.hwnd))
        EnumChildWindows(sent.hwnd, iconToolbarProc, iconWalkParam(sent.lParam, sent.wParam));
}

void onSetLogo(const CWPSTRUCT& sent) {
    if (active(sent.hwnd))
        walkUnlessVerified(sent.hwnd, kLogoFact,
                           showFlag(sent.wParam, sharedState.hideLogo, sent.lParam),
                           kindIndex(sent.lParam));
}

void onRestoreIcons(const CWPSTRUCT& sent) {
    if (active(sent.hwnd)) restoreExplorerLists();
}

void onSetMenubar(const CWPSTRUCT& sent) {
    if (!active(sent.hwnd)) return;
    const bool hide = sharedState.hideMenu[kindIndex(sent.lParam)] != 0;
    switch (sent.wParam) {
    case kApply: showMenuBand(sent.hwnd, hide ? 0 : 1); break;
    case kRestore: showMenuBand(sent.hwnd, 1); break;
    case kRehide:
        if (hide) showMenuBand(sent.hwnd, 0);
        break;
    }
}

void onSetHeaders(const CWPSTRUCT& sent) {
    if (active(sent.hwnd))
        walkHeaders(sent.hwnd, showFlag(sent.wParam, sharedState.hideHeader, sent.lParam));
}

void onSetDropdowns(const CWPSTRUCT& sent) {
    if (active(sent.hwnd))
        walkUnlessVerified(sent.hwnd, kArrowsFact,
                           showFlag(sent.wParam, sharedState.hideDropdown, sent.lParam),
                           kindIndex(sent.lParam));
}

void onToggleMenubar(const CWPSTRUCT& sent) {
    if (active(sent.hwnd)) toggleMenuBand(sent.hwnd);
}

void onThemeChanged(const CWPSTRUCT& sent) {
    if (active(sent.hwnd)) markThemeChange(sent.hwnd);
}

void onIdealSize(const CWPSTRUCT& sent) {
    if (sharedState.restoring == 0 && processState.themeChangePending != 0 &&
        isOwnWindow(sent.hwnd))
        reapplyAfterThemeChange(sent.hwnd);
}

void onInitMenuPopup(const CWPSTRUCT& sent) {
    if (sharedState.popupEnabled != 0 && isOwnWindow(sent.hwnd)) extendToolbarMenu(sent);
}

// Sent by uninstallHook_EXPIE whatever the switch says: timers must not outlive the hooks.
void onStopTimers(const CWPSTRUCT& sent) {
    if (isOwnWindow(sent.hwnd)) stopFrameTimers(sent.hwnd);
}

} // namespace

LRESULT CALLBACK callWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (mayBeWatched(sent.hwnd)) noteMessageToWatched(sent.hwnd, sent.message);
        switch (sent.message) {
        case WM_SHOWWINDOW: onShowWindow(sent); break;
        case WM_WINDOWPOSCHANGED: onWindowPosChanged(sent); break;
        case MSG_SET_ICONS: onSetIcons(sent); break;
        case MSG_SET_LOGO: onSetLogo(sent); break;
        case MSG_RESTORE_ICONS: onRestoreIcons(sent); break;
        case MSG_SET_MENUBAR: onSetMenubar(sent); break;
        case MSG_SET_HEADERS: onSetHeaders(sent); break;
        case MSG_SET_DROPDOWNS: onSetDropdowns(sent); break;
        case MSG_TOGGLE_MENUBAR: onToggleMenubar(sent); break;
        case MSG_STOP_TIMERS: onStopTimers(sent); break;
        case WM_THEMECHANGED: onThemeChanged(sent); break;
        case TB_GETIDEALSIZE: onIdealSize(sent); break;
        case WM_INITMENUPOPUP: onInitMenuPopup(sent); break;
        }
    }
    return CallNextHookEx(sharedState.hookCallWndProc, code, wParam, lParam);
}
