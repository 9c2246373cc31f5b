// mouseHook: a middle-button release over a toolbar or rebar of a toggle frame
// toggles its menu band, whether customisation is on or not.
#include "hooks/hooks.h"
#include "bands/menu_band.h"
#include "state/shared_state.h"
#include "windows/classifier.h"
#include "windows/own_window.h"
#include "windows/toggle_frame.h"

namespace {

void onMiddleButtonUp(const MOUSEHOOKSTRUCT& mouse) {
    if (!isOwnWindow(mouse.hwnd) || !isBarWindow(mouse.hwnd, 0)) return;
    HWND frame = GetAncestor(mouse.hwnd, GA_ROOT);
    if (isToggleFrame(frame)) toggleMenuBand(frame);
}

} // namespace

LRESULT CALLBACK mouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        switch (wParam) {
        case WM_MBUTTONUP:
            onMiddleButtonUp(*reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
            break;
        }
    }
    return CallNextHookEx(sharedState.hookMouse, code, wParam, lParam);
}
