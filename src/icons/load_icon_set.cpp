// loadIconSet: native icons are read once per kind and size class, at the
// standard size; the lists are then emptied and refilled slot by slot, each
// empty controller slot falling back on the saved native icon.
#include "icons/load_icon_set.h"
#include "icons/icon_tables.h"
#include "state/shared_state.h"

namespace {

// The image a slot maps to, or -1. A mapping read from the shared block that names
// no image of the list falls back on the installed one, slot i to image i.
int imageOfSlot(const int* indices, int slot, int images) {
    const int mapped = indices[slot];
    const int index = mapped >= 0 && mapped < images ? mapped : slot;
    return index < images ? index : -1;
}

HICON nativeIcon(HIMAGELIST list, int index) {
    return index >= 0 ? ImageList_GetIcon(list, index, ILD_NORMAL) : nullptr;
}

// Every slot is saved, whatever iconCount says: a count changed in the shared block
// after this must not cost a native icon.
void saveNativeIcons(const SavedTables& saved, HIMAGELIST list, HIMAGELIST hotList,
                     const int* indices) {
    const int images = ImageList_GetImageCount(list);
    const int hotImages = ImageList_GetImageCount(hotList);
    for (int i = 0; i < kIconSlots; ++i) {
        saved.normal[i] = nativeIcon(list, imageOfSlot(indices, i, images));
        saved.hot[i] = nativeIcon(hotList, imageOfSlot(indices, i, hotImages));
    }
    *saved.valid = 1;
}

// Explorer's saved icons are also copied into the shared block, for readers elsewhere.
void recordSavedIcons(const SavedTables& saved, bool large) {
    const SavedTables record = sharedSavedRecord(large);
    for (int i = 0; i < kIconSlots; ++i) {
        record.normal[i] = saved.normal[i];
        record.hot[i] = saved.hot[i];
    }
    *record.valid = 1;
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
        if (*saved.valid == 0) {
            saveNativeIcons(saved, list, hotList, indices);
            if (isExplorer) recordSavedIcons(saved, large != 0);
        }
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
