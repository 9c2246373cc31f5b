// loadIconSet: native icons are read once per kind and size class, at the
// standard size; the lists are then emptied and refilled slot by slot, each
// empty controller slot falling back on the saved native icon.
#include "icons/load_icon_set.h"
#include "icons/icon_tables.h"
#include "state/shared_state.h"

namespace {

void saveNativeIcons(const SavedTables& saved, HIMAGELIST list, HIMAGELIST hotList,
                     const int* indices, int count) {
    for (int i = 0; i < count; ++i) {
        saved.normal[i] = ImageList_GetIcon(list, indices[i], ILD_NORMAL);
        saved.hot[i] = ImageList_GetIcon(hotList, indices[i], ILD_NORMAL);
    }
    *saved.valid = 1;
}

HICON pick(const HICON* controller, HICON native, int slot) {
    return controller != nullptr && controller[slot] != nullptr ? controller[slot] : native;
}

} // namespace

void loadIconSet(int apply, int large, int isExplorer, HIMAGELIST list, HIMAGELIST hotList,
                 const HICON* icons, const HICON* hotIcons, const int* indices, int count) {
    const SavedTables saved = savedTables(isExplorer != 0, large != 0);
    const int standard = large ? kLargeStandardSize : kSmallStandardSize;
    const int slots = count < 0 ? 0 : (count > kIconSlots ? kIconSlots : count);
    resizeImageList(list, standard);
    resizeImageList(hotList, standard);
    if (apply) {
        if (*saved.valid == 0) saveNativeIcons(saved, list, hotList, indices, slots);
        const int configured = configuredIconSize(large != 0);
        resizeImageList(list, configured);
        resizeImageList(hotList, configured);
    }
    ImageList_Remove(list, -1);
    ImageList_Remove(hotList, -1);
    for (int i = 0; i < slots; ++i) {
        ImageList_ReplaceIcon(list, -1, apply ? pick(icons, saved.normal[i], i) : saved.normal[i]);
        ImageList_ReplaceIcon(hotList, -1, apply ? pick(hotIcons, saved.hot[i], i) : saved.hot[i]);
    }
}
