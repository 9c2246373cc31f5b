// The toggle-frame test, shared by the mouse and keyboard hooks and the context menu.
#include "windows/toggle_frame.h"
#include "windows/classifier.h"
#include "state/shared_state.h"

bool isToggleFrame(HWND frame) {
    if (sharedState.hideMenu[0] != 0 && isExplorerFrame(frame)) return true;
    if (sharedState.hideMenu[1] != 0 && isIEFrame(frame)) return true;
    return false;
}

bool anyMenuHidden() {
    return sharedState.hideMenu[0] != 0 || sharedState.hideMenu[1] != 0;
}
