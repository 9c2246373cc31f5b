// What this process last filled into its toolbars' image lists, so that showing a
// frame again does not refill lists that already hold the controller's current
// icons. The generation in the shared block moves with every change the controller
// makes to the icons, their sizes or their restore; a fill remembers the value it
// started from.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "icons/image_list_api.h"

// The generation to remember for a fill: read before the controller's icons are.
LONG iconGenerationNow();
// Called after the controller changed its icons, their sizes or restored them.
void bumpIconGeneration();

// The toolbar's lists were just filled (with `api`) with `slots` of the controller's
// icons at `size`, from the icons of `generation`.
void noteIconFill(const ImageListApi& api, HWND toolbar, HIMAGELIST normal, HIMAGELIST hot,
                  int size, int slots, LONG generation);
// The toolbar's lists no longer hold the controller's icons (restored).
void forgetIconFill(HWND toolbar);
// Forgets every fill of this process (a visual-style change).
void forgetAllIconFills();

// True when the frame's main toolbar shows this process's fill of the controller's
// current icons: same lists, same size and count, no change since.
bool frameShowsCurrentIcons(HWND frame);
