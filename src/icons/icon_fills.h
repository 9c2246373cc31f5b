// What this process last filled into its toolbars' image lists, so that showing a
// frame again does not refill lists that already hold the controller's current
// icons. The generation in the shared block moves with every change the controller
// makes to the icons, their sizes or their restore, and with a visual-style change
// at the taskbar; a fill remembers the value it started from.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "icons/image_list_api.h"

// The generation to remember for a fill: read before the controller's icons are.
LONG iconGenerationNow();
// Called after the icons, their sizes or the lists' contents changed for every frame.
void bumpIconGeneration();

// The toolbar's lists were just filled (with `api`) with the controller's icons at
// `size`, from the icons of `generation` (installation, which sets the slot count,
// moves it too).
void noteIconFill(const ImageListApi& api, HWND toolbar, HIMAGELIST normal, HIMAGELIST hot,
                  int size, LONG generation);

// True when the frame's main toolbar shows this process's fill of the controller's
// current icons: same lists, same size and image counts, no change since. An Explorer
// frame may show the fill made for another frame of this process (shared lists).
bool frameShowsCurrentIcons(HWND frame);
