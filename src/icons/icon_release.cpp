// Release of saved native icons: each is destroyed exactly once, then its
// entry and the table's flag are cleared. Only icons this process saved itself
// are destroyed: a handle is not this process's to destroy just because it sits
// in the shared block. The controller's icons are never destroyed here; the
// lists only ever received copies of them.
#include "icons/icon_release.h"
#include "icons/icon_tables.h"
#include "state/process_state.h"
#include "state/shared_state.h"

namespace {

void clearTables(const SavedTables& tables) {
    for (int i = 0; i < kIconSlots; ++i) {
        tables.normal[i] = nullptr;
        tables.hot[i] = nullptr;
    }
    *tables.valid = 0;
}

void releaseTables(const SavedTables& saved) {
    if (*saved.valid == 0) return;
    // Every entry, not just iconCount of them: a table saved under another count is freed whole.
    for (int i = 0; i < kIconSlots; ++i) {
        if (saved.normal[i] != nullptr) DestroyIcon(saved.normal[i]);
        if (saved.hot[i] != nullptr) DestroyIcon(saved.hot[i]);
    }
    clearTables(saved);
}

// With the functions of the module the pair was captured from: the lists are its own.
void refill(ExplorerPairs& pairs, bool large) {
    const ListSlots lists = explorerListSlots(pairs, large);
    const SavedTables saved = savedTables(true, large);
    if (*lists.normal == nullptr || *lists.hot == nullptr || *saved.valid == 0) return;
    const ImageListApi api = imageListApiOfModule(pairs.module);
    if (!complete(api)) return;
    const int size = large ? kLargeStandardSize : kSmallStandardSize;
    resizeImageList(api, *lists.normal, size);
    resizeImageList(api, *lists.hot, size);
    api.remove(*lists.normal, -1);
    api.remove(*lists.hot, -1);
    for (int i = 0; i < kIconSlots; ++i) {
        api.replaceIcon(*lists.normal, -1, saved.normal[i]);
        api.replaceIcon(*lists.hot, -1, saved.hot[i]);
    }
}

// Every toolbar module's pair of the size class.
void refillEvery(bool large) {
    for (ExplorerPairs& pairs : processState.explorerPairs)
        if (pairs.module != nullptr) refill(pairs, large);
}

} // namespace

void restoreExplorerLists() {
    // Both classes: the desktop's last probe says nothing about this process's lists, and a
    // pair whose frames are all gone would otherwise keep the controller's icons.
    for (bool large : kSizeClasses)
        refillEvery(large);
    freeSavedExplorerIcons();
}

void freeSavedExplorerIcons() {
    for (bool large : kSizeClasses) {
        releaseTables(savedTables(true, large));
        clearTables(sharedSavedRecord(large));
    }
}

void freeSavedIEIcons() {
    releaseTables(savedTables(false, true));
    releaseTables(savedTables(false, false));
}
