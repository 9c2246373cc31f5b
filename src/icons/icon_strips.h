// A browser frame's lists filled in one call each. Every browser frame has lists of its
// own, and appending the controller's icons slot by slot is most of what opening one
// costs; so the images are prepared once per process, size class, icon generation and
// toolbar module, as a strip of cells (normal and hot) copied from the very icons the
// slot-by-slot fill would append, and appended to each new list with ImageList_Add.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "icons/icon_tables.h"
#include "icons/image_list_api.h"

// True when both lists keep 32-bit images and a mask, the lists a strip reproduces the
// slot-by-slot fill in exactly. Asked while they still hold images.
bool stripsFit(const ImageListApi& api, HIMAGELIST list, HIMAGELIST hotList);

// Appends `count` slots to the emptied pair at `size` pixels: the controller's icon of
// a slot, else the saved native one, as the slot-by-slot fill would. False, with the
// pair left empty, when no strip can stand for that fill (an icon missing, not a colour
// icon of that size, or the module without ImageList_Add): the caller fills by slot.
bool fillFromStrips(const ImageListApi& api, bool large, HIMAGELIST list, HIMAGELIST hotList,
                    const HICON* icons, const HICON* hotIcons, const SavedTables& saved, int count,
                    int size);

// The saved native icons were read again: strips made with the earlier ones are stale.
void noteNativeIconsSaved();
// Frees the strips no fill is using; called once no frame of the process needs them.
void releaseIconStrips();
