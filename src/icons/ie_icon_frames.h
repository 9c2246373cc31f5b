// The browser frames of this process whose toolbars show the controller's icons.
// They all share the process's saved native icons, so those are released only
// once the last of them is restored or closed.
#pragma once

#include <windows.h>

// Records a browser frame whose toolbar was just given the controller's icons.
void noteIEIconsApplied(HWND frame);
// Forgets the frame, then frees the saved browser icons unless another live
// frame of this process still shows the controller's icons and needs them back.
void releaseIEIconsAfter(HWND frame);
