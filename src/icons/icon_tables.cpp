// Table lookups shared by icon application, restoration and release.
#include "icons/icon_tables.h"
#include "state/process_state.h"
#include "state/shared_state.h"

namespace {

// Sizes beyond this would make the image list allocate absurd bitmaps in the frame's process.
constexpr int kMaxIconSize = 256;

} // namespace

SavedTables savedTables(bool isExplorer, bool large) {
    ProcessState& own = processState;
    if (isExplorer)
        return large ? SavedTables{own.explorerSavedLargeIcons, own.explorerSavedLargeHotIcons,
                                   &own.explorerSavedLargeValid}
                     : SavedTables{own.explorerSavedSmallIcons, own.explorerSavedSmallHotIcons,
                                   &own.explorerSavedSmallValid};
    return large ? SavedTables{own.ieSavedLargeIcons, own.ieSavedLargeHotIcons,
                               &own.ieSavedLargeValid}
                 : SavedTables{own.ieSavedSmallIcons, own.ieSavedSmallHotIcons,
                               &own.ieSavedSmallValid};
}

SavedTables sharedSavedRecord(bool large) {
    return large ? SavedTables{sharedState.savedLargeIcons, sharedState.savedLargeHotIcons,
                               &sharedState.savedLargeValid}
                 : SavedTables{sharedState.savedSmallIcons, sharedState.savedSmallHotIcons,
                               &sharedState.savedSmallValid};
}

ExplorerPairs* explorerPairsOf(HMODULE module) {
    if (module == nullptr) return nullptr;
    for (ExplorerPairs& pairs : processState.explorerPairs) {
        // Records are taken for good, like the module table of the image-list functions.
        void* held = InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&pairs.module),
                                                       module, nullptr);
        if (held == nullptr || held == module) return &pairs;
    }
    return nullptr;
}

ListSlots explorerListSlots(ExplorerPairs& pairs, bool large) {
    return large ? ListSlots{&pairs.largeList, &pairs.largeHotList}
                 : ListSlots{&pairs.smallList, &pairs.smallHotList};
}

void recordExplorerPair(const ListSlots& pair, bool large) {
    const DWORD owner = *pair.normal != nullptr || *pair.hot != nullptr ? GetCurrentProcessId() : 0;
    if (large) {
        sharedState.explorerLargeList = *pair.normal;
        sharedState.explorerLargeHotList = *pair.hot;
        sharedState.explorerLargeListsOwner = owner;
    } else {
        sharedState.explorerSmallList = *pair.normal;
        sharedState.explorerSmallHotList = *pair.hot;
        sharedState.explorerSmallListsOwner = owner;
    }
}

ListSlots ieListSlots(bool large) {
    return large ? ListSlots{&sharedState.ieLargeList, &sharedState.ieLargeHotList}
                 : ListSlots{&sharedState.ieSmallList, &sharedState.ieSmallHotList};
}

// Installation writes 64; a count outside 1..64 was written by something else, and
// taken as none it would leave the toolbar without images (and, its image 0 gone,
// make it read as small from then on).
int iconSlotsInUse() {
    const int count = sharedState.iconCount;
    return count >= 1 && count <= kIconSlots ? count : kIconSlots;
}

int configuredIconSize(bool large) {
    const int size = large ? sharedState.largeIconSize : sharedState.smallIconSize;
    // A toolbar's size class is read from its image 0: a size across the boundary would
    // make it the other class once applied, and its restore would empty the list.
    const bool fits = large ? size > kSmallIconMaxHeight && size <= kMaxIconSize
                            : size > 0 && size <= kSmallIconMaxHeight;
    return fits ? size : (large ? kLargeStandardSize : kSmallStandardSize);
}

void resizeImageList(const ImageListApi& api, HIMAGELIST list, int size) {
    // Resizing empties a list, on some platforms even to the size it already has.
    int cx = 0, cy = 0;
    if (api.getIconSize(list, &cx, &cy) && cx == size && cy == size) return;
    // Emptied first: Wine's resize keeps the per-image alpha flags of the images it
    // drops, and an icon without alpha added later at such an index draws transparent.
    api.remove(list, -1);
    api.setIconSize(list, size, size);
    // Wine's resize gives the list room for its initial count again but leaves the
    // per-image alpha flags at the emptied list's few entries; icons added up to that
    // room write past them into the process heap. Setting the count reallocates the flags.
    api.setImageCount(list, 0);
}

void clearExplorerListSlots() {
    for (bool large : kSizeClasses) {
        for (ExplorerPairs& pairs : processState.explorerPairs) {
            const ListSlots own = explorerListSlots(pairs, large);
            *own.normal = nullptr;
            *own.hot = nullptr;
        }
        HIMAGELIST none = nullptr, noneHot = nullptr;
        recordExplorerPair({&none, &noneHot}, large);
    }
}
