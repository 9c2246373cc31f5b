// Release of saved native icons: each is destroyed exactly once, then its
// entry and the table's flag are cleared. The controller's icons are never
// destroyed here; the lists only ever received copies of them.
#include "icons/icon_release.h"
#include "icons/icon_tables.h"
#include "state/shared_state.h"

namespace {

void releaseTables(const SavedTables& saved) {
    if (*saved.valid == 0) return;
    // Every entry, not just iconCount of them: a table saved under another count is freed whole.
    for (int i = 0; i < kIconSlots; ++i) {
        if (saved.normal[i] != nullptr) DestroyIcon(saved.normal[i]);
        if (saved.hot[i] != nullptr) DestroyIcon(saved.hot[i]);
        saved.normal[i] = nullptr;
        saved.hot[i] = nullptr;
    }
    *saved.valid = 0;
}

void refill(bool large) {
    const ListSlots slots = explorerListSlots(large);
    const SavedTables saved = savedTables(true, large);
    // A list handle captured in another process would be a wild pointer here.
    if (*slots.normal == nullptr || *slots.hot == nullptr ||
        *slots.owner != GetCurrentProcessId() || *saved.valid == 0)
        return;
    const int size = large ? kLargeStandardSize : kSmallStandardSize;
    resizeImageList(*slots.normal, size);
    resizeImageList(*slots.hot, size);
    ImageList_Remove(*slots.normal, -1);
    ImageList_Remove(*slots.hot, -1);
    const int count = iconSlotsInUse();
    for (int i = 0; i < count; ++i) {
        ImageList_ReplaceIcon(*slots.normal, -1, saved.normal[i]);
        ImageList_ReplaceIcon(*slots.hot, -1, saved.hot[i]);
    }
}

} // namespace

void restoreExplorerLists() {
    if (sharedState.iconSizeMode == kSizeModeLarge)
        refill(true);
    else if (sharedState.iconSizeMode == kSizeModeSmall)
        refill(false);
    freeSavedExplorerIcons();
}

void freeSavedExplorerIcons() {
    releaseTables(savedTables(true, true));
    releaseTables(savedTables(true, false));
}

void freeSavedIEIcons() {
    releaseTables(savedTables(false, true));
    releaseTables(savedTables(false, false));
}
