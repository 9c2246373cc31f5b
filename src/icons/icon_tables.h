// Where a frame kind and size class keep their image-list pair and their saved
// native icons, and the sizes that go with them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "icons/image_list_api.h"
#include "state/process_state.h"

// The large class first, then the small one.
constexpr bool kSizeClasses[] = {true, false};

// Standard sizes at which native icons are read and put back.
constexpr int kLargeStandardSize = 24;
constexpr int kSmallStandardSize = 16;
// Image 0 taller than this means the toolbar shows large icons.
constexpr int kSmallIconMaxHeight = 16;

struct SavedTables {
    HICON* normal;
    HICON* hot;
    int* valid;
};

// The native icons of a frame kind and size class that this process saved itself:
// the only ones it refills lists from or destroys.
SavedTables savedTables(bool isExplorer, bool large);
// Explorer's saved tables in the shared block: a copy of what a process saved, for
// readers elsewhere. Written, never read back.
SavedTables sharedSavedRecord(bool large);

struct ListSlots {
    HIMAGELIST* normal;
    HIMAGELIST* hot;
};
// The record of Explorer's pairs for toolbars of `module`, taken for it when new; null
// when every record is another module's (that module's toolbars are then left alone).
ExplorerPairs* explorerPairsOf(HMODULE module);
// A record's pair of a size class, as this process captured it.
ListSlots explorerListSlots(ExplorerPairs& pairs, bool large);
// Copies an Explorer pair of a size class into the shared block.
void recordExplorerPair(const ListSlots& pair, bool large);
// The browser pair slots of the shared block; a walk uses the pair it captured itself.
ListSlots ieListSlots(bool large);

// The number of slots the controller's icons fill: iconCount, or 64 when it is not
// a count of slots (outside 1..64).
int iconSlotsInUse();

// The controller's configured size for a size class, or the standard size when
// the configured one is not a pixel size of that class (large 17..256, small 1..16).
int configuredIconSize(bool large);

// Gives a list the icon size, empty; a list that already has that size is left
// alone, images and all (the native icons are read right after this).
void resizeImageList(const ImageListApi& api, HIMAGELIST list, int size);

// Forgets Explorer's captured pairs (every module's, both size classes, this process's
// and the shared copies); the next walk captures anew.
void clearExplorerListSlots();
