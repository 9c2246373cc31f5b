// setPopupMenuItem: stores the context-menu configuration. Enabling comes
// last, so a frame that sees popupEnabled also sees the entries before it.
#include "TarvikToolBar.h"
#include "menu/captions.h"
#include "state/shared_state.h"

extern "C" void __cdecl setPopupMenuItem(const char* title, const int* itemIds,
                                         const char* const* itemTexts, int itemCount,
                                         const char* menuBarText) {
    if (title == nullptr || itemIds == nullptr || itemTexts == nullptr) {
        sharedState.popupItemCount = 0;
        sharedState.popupEnabled = 0;
        return;
    }
    storeCaption(sharedState.popupTitle, title);
    storeCaption(sharedState.menuBarItemText, menuBarText);
    // At most the eight entries there is room for; a negative count stays as given (no entries).
    const int entries = itemCount > kPopupItems ? kPopupItems : itemCount;
    for (int i = 0; i < entries; ++i) {
        sharedState.popupItemIds[i] = itemIds[i];
        if (itemIds[i] >= 0) storeCaption(sharedState.popupItemTexts[i], itemTexts[i]);
    }
    sharedState.popupItemCount = entries;
    sharedState.popupEnabled = 1;
}
