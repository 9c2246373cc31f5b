// Where a frame kind and size class keep their image-list pair and their saved
// native icons, and the sizes that go with them.
#pragma once

#include <windows.h>
#include <commctrl.h>

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

// Explorer tables are desktop-wide; Internet Explorer ones belong to this process.
SavedTables savedTables(bool isExplorer, bool large);

// The Explorer image-list slots of a size class in the shared block.
struct ListSlots {
    HIMAGELIST* normal;
    HIMAGELIST* hot;
    DWORD* owner;
};
ListSlots explorerListSlots(bool large);
ListSlots ieListSlots(bool large);

// The number of slots a loop may touch: iconCount bounded to the tables.
int iconSlotsInUse();

// The controller's configured size for a size class, or the standard size when
// the configured one is not a pixel size of that class (large 17..256, small 1..16).
int configuredIconSize(bool large);

// Gives a list the icon size, empty; a list that already has that size is left
// alone, images and all (the native icons are read right after this).
void resizeImageList(HIMAGELIST list, int size);

// Forgets Explorer's captured pairs (both size classes); the next walk captures anew.
void clearExplorerListSlots();
