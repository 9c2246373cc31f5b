// callWndRetProcHook: runs after the window procedure. The Customize dialog
// has closed when TB_CUSTOMIZE returns; a frame's rebar has re-laid out when
// its "WorkerW" has taken RBN_CHILDSIZE.
#include "hooks/hooks.h"
#include "TarvikToolBar.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/class_names.h"
#include "windows/classifier.h"
#include "windows/own_window.h"

namespace {

bool autoReapplyOn(HWND window) {
    return sharedState.inactive == 0 && sharedState.restoring == 0 && isOwnWindow(window);
}

// Another process's Customize is re-applied by that process's own hook.
void onCustomizeDone(const CWPRETSTRUCT& returned) {
    if (autoReapplyOn(returned.hwnd) && isMainToolbar(returned.hwnd, 1)) changeAllToolbar_EXPIE();
}

// A run of notifications before the tick restarts the one timer: one re-application.
// The NMHDR of another process's notification lies in that process: never read here.
void onNotify(const CWPRETSTRUCT& returned) {
    if (isBusy() || !autoReapplyOn(returned.hwnd)) return;
    char name[kHookClassNameChars];
    if (!hasClass(returned.hwnd, kWorkerClass, name, kHookClassNameChars)) return;
    const auto* header = reinterpret_cast<const NMHDR*>(returned.lParam);
    if (header == nullptr || header->code != static_cast<UINT>(RBN_CHILDSIZE)) return;
    HWND frame = GetAncestor(returned.hwnd, GA_ROOT);
    if (!isExplorerFrame(frame) && !isIEFrame(frame)) return;
    killStoredTimer(frame, FrameTimer::Reapply);
    storeTimerId(frame, FrameTimer::Reapply,
                 static_cast<int>(SetTimer(frame, TIMER_REAPPLY, kReapplyMs, nullptr)));
}

} // namespace

LRESULT CALLBACK callWndRetProcHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        const CWPRETSTRUCT& returned = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        switch (returned.message) {
        case TB_CUSTOMIZE: onCustomizeDone(returned); break;
        case WM_NOTIFY: onNotify(returned); break;
        }
    }
    return CallNextHookEx(sharedState.hookCallWndProcRet, code, wParam, lParam);
}
