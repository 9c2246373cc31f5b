// The unit-test bench.
#include "core_bench.h"

#include "hooks/hooks.h"
#include "icons/icon_walk.h"
#include "state/shared_state.h"

namespace icontest {

void setInstalledDefaults() {
    for (int i = 0; i < kIconSlots; ++i)
        sharedState.iconIndex[i] = i;
    sharedState.iconCount = kIconSlots;
    sharedState.largeIconSize = 24;
    sharedState.smallIconSize = 16;
    sharedState.inactive = 0;
}

void iconWalk(HWND frame, LPARAM param) {
    EnumChildWindows(frame, iconToolbarProc, param);
}

void sendThroughHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWPSTRUCT sent{};
    sent.hwnd = window;
    sent.message = message;
    sent.wParam = wParam;
    sent.lParam = lParam;
    callWndProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&sent));
}

} // namespace icontest
