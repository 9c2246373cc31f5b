// getMessageHook: sees what a thread takes from its queue: the library's two
// timers, the context-menu commands, and the closing of a browser frame. A
// message is acted on when it is removed: one peeked first (idle loops, menu
// loops) would otherwise be forwarded or toggled twice.
#include "hooks/hooks.h"
#include "bands/menu_band.h"
#include "hooks/reapply.h"
#include "hooks/verified_walks.h"
#include "icons/ie_icon_frames.h"
#include "menu/popup_menu.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"
#include "windows/own_window.h"

namespace {

void onCommand(const MSG& posted) {
    if (sharedState.popupEnabled != 0 && isOwnWindow(posted.hwnd)) routeMenuCommand(posted);
}

// The band stays while its frame is in front; the first tick after that hides it.
void onAutohideTick(HWND window) {
    if (!isOwnWindow(window)) return;
    if ((isExplorerFrame(window) || isIEFrame(window)) && GetForegroundWindow() != window)
        setMenuBand(window, 0);
}

// A tick armed before a restore can come after it: it then only stops its timer, so the
// restored frame keeps its own look.
void onReapplyTick(HWND window) {
    if (!isOwnWindow(window)) return;
    if (sharedState.inactive == 0 && sharedState.restoring == 0)
        reapplyBandSettings(window);
    else
        killStoredTimer(window, FrameTimer::Reapply);
}

void onTimer(const MSG& posted) {
    switch (posted.wParam) {
    case TIMER_MENU_AUTOHIDE: onAutohideTick(posted.hwnd); break;
    case TIMER_REAPPLY: onReapplyTick(posted.hwnd); break;
    }
}

void onClose(const MSG& posted) {
    if (isOwnWindow(posted.hwnd) && isIEFrame(posted.hwnd)) releaseIEIconsAfter(posted.hwnd);
}

} // namespace

LRESULT CALLBACK getMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && wParam == PM_REMOVE) {
        const MSG& posted = *reinterpret_cast<const MSG*>(lParam);
        // A posted setter changes a verified frame as a sent one does.
        if (mayBeWatched(posted.hwnd)) noteMessageToWatched(posted.hwnd, posted.message);
        switch (posted.message) {
        case WM_COMMAND: onCommand(posted); break;
        case WM_TIMER: onTimer(posted); break;
        case WM_CLOSE: onClose(posted); break;
        }
    }
    return CallNextHookEx(sharedState.hookGetMessage, code, wParam, lParam);
}
