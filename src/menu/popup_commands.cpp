// Routes commands chosen in the extended context menu: the menu-bar item
// toggles the band here; the controller's entries are posted on to it.
#include "menu/popup_menu.h"
#include "bands/menu_band.h"
#include "menu/captions.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/class_names.h"
#include "windows/classifier.h"

void routeMenuCommand(const MSG& posted) {
    char name[kHookClassNameChars];
    if (!hasClass(posted.hwnd, kWorkerClass, name, kHookClassNameChars)) return;
    HWND frame = GetAncestor(posted.hwnd, GA_ROOT);
    if (!isExplorerFrame(frame) && !isIEFrame(frame)) return;
    const int id = LOWORD(posted.wParam);
    if (id == CMD_TOGGLE_MENUBAR) {
        toggleMenuBand(frame);
        return;
    }
    // Every matching entry is posted: an id listed twice reaches the controller twice.
    const int entries = popupEntriesInUse();
    for (int i = 0; i < entries; ++i)
        if (sharedState.popupItemIds[i] == id)
            PostMessageA(sharedState.notifyWindow, MSG_POPUP_COMMAND,
                         static_cast<WPARAM>(id & 0xFFFF), 0);
}
