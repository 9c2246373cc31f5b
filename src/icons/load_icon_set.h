// Filling a toolbar's image-list pair: the controller's icons (apply) or the
// saved native ones (restore). `count` slots are filled; a restore passes every
// slot, so a count changed since the save cannot drop a native icon.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "icons/image_list_api.h"

// `api`: the functions of the module that made both lists.
void loadIconSet(const ImageListApi& api, int apply, int large, int isExplorer, HIMAGELIST list,
                 HIMAGELIST hotList, const HICON* icons, const HICON* hotIcons, const int* indices,
                 int count);
