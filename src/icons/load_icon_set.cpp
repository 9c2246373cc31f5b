// loadIconSet: native icons are read once per kind and size class, at the
// standard size; the lists are then emptied and refilled slot by slot, each
// empty controller slot falling back on the saved native icon (a browser frame's
// lists from prepared strips where they stand for that fill).
#include "icons/load_icon_set.h"
#include "icons/icon_strips.h"
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

HICON nativeIcon(const ImageListApi& api, HIMAGELIST list, int index) {
    return index >= 0 ? api.getIcon(list, index, ILD_NORMAL) : nullptr;
}

// Every slot is saved, whatever iconCount says: a count changed in the shared block
// after this must not cost a native icon.
void saveNativeIcons(const ImageListApi& api, const SavedTables& saved, HIMAGELIST list,
                     HIMAGELIST hotList, const int* indices) {
    const int images = api.getImageCount(list);
    const int hotImages = api.getImageCount(hotList);
    for (int i = 0; i < kIconSlots; ++i) {
        saved.normal[i] = nativeIcon(api, list, imageOfSlot(indices, i, images));
        saved.hot[i] = nativeIcon(api, hotList, imageOfSlot(indices, i, hotImages));
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

void loadIconSet(const ImageListApi& api, int apply, int large, int isExplorer, HIMAGELIST list,
                 HIMAGELIST hotList, const HICON* icons, const HICON* hotIcons, const int* indices,
                 int count) {
    const SavedTables saved = savedTables(isExplorer != 0, large != 0);
    const int standard = large ? kLargeStandardSize : kSmallStandardSize;
    const int configured = configuredIconSize(large != 0);
    const int slots = count < 0 ? 0 : (count > kIconSlots ? kIconSlots : count);
    // Explorer's lists are shared by its frames, filled once per icon set: no strips.
    const bool strips = apply && !isExplorer && stripsFit(api, list, hotList);
    resizeImageList(api, list, standard);
    resizeImageList(api, hotList, standard);
    if (apply) {
        if (*saved.valid == 0) {
            saveNativeIcons(api, saved, list, hotList, indices);
            if (isExplorer) recordSavedIcons(saved, large != 0);
            noteNativeIconsSaved();
        }
        resizeImageList(api, list, configured);
        resizeImageList(api, hotList, configured);
    }
    api.remove(list, -1);
    api.remove(hotList, -1);
    if (strips &&
        fillFromStrips(api, large != 0, list, hotList, icons, hotIcons, saved, slots, configured))
        return;
    for (int i = 0; i < slots; ++i) {
        api.replaceIcon(list, -1, apply ? pick(icons, saved.normal[i], i) : saved.normal[i]);
        api.replaceIcon(hotList, -1, apply ? pick(hotIcons, saved.hot[i], i) : saved.hot[i]);
    }
}
