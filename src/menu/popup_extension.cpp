// Extends a frame's toolbar context menu as it opens: a separator, the
// controller's submenu and, on a toggle frame, the menu-bar item. Only a menu
// owned by the frame's "WorkerW", opened over a bar, whose first item is
// checked (the toolbar menu's own first entry) is touched.
#include "menu/popup_menu.h"
#include "bands/menu_band.h"
#include "menu/captions.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/class_names.h"
#include "windows/classifier.h"
#include "windows/toggle_frame.h"

namespace {

constexpr UINT kAppend = static_cast<UINT>(-1);

bool openedOverBar() {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) return false;
    return isBarWindow(WindowFromPoint(cursor), 0) != 0;
}

bool firstItemChecked(HMENU popup) {
    MENUITEMINFOA first{};
    first.cbSize = sizeof first;
    first.fMask = MIIM_STATE;
    first.cch = 0;
    if (!GetMenuItemInfoA(popup, 0, TRUE, &first))
        return false; // nothing to read: leave the menu alone
    return (first.fState & MFS_CHECKED) != 0;
}

// The submenu is not destroyed here: it belongs to the popup from now on and
// goes when the popup does (a destroyed handle would take its items with it).
void appendSubmenu(HMENU popup) {
    HMENU sub = CreatePopupMenu();
    if (sub == nullptr) return;
    char caption[kCaptionBytes];
    readCaption(caption, sharedState.popupTitle);
    InsertMenuA(popup, kAppend, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption);
    const int entries = popupEntriesInUse();
    for (int i = 0; i < entries; ++i) {
        const int id = sharedState.popupItemIds[i];
        if (id < 0) {
            InsertMenuA(sub, kAppend, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            continue;
        }
        readCaption(caption, sharedState.popupItemTexts[i]);
        InsertMenuA(sub, kAppend, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(id), caption);
    }
}

void appendToggleItem(HMENU popup, HWND frame) {
    const UINT check = queryMenuBand(frame) != 0 ? MF_CHECKED : MF_UNCHECKED;
    char caption[kCaptionBytes];
    readCaption(caption, sharedState.menuBarItemText);
    InsertMenuA(popup, kAppend, MF_BYPOSITION | MF_STRING | check, CMD_TOGGLE_MENUBAR, caption);
}

} // namespace

void extendToolbarMenu(const CWPSTRUCT& sent) {
    char name[kHookClassNameChars];
    if (!hasClass(sent.hwnd, kWorkerClass, name, kHookClassNameChars)) return;
    HWND frame = GetAncestor(sent.hwnd, GA_ROOT);
    if (!isExplorerFrame(frame) && !isIEFrame(frame)) return;
    if (!openedOverBar()) return;
    const auto popup = reinterpret_cast<HMENU>(sent.wParam);
    if (!firstItemChecked(popup)) return;
    InsertMenuA(popup, kAppend, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    appendSubmenu(popup);
    if (isToggleFrame(frame)) appendToggleItem(popup, frame);
}
