// Re-applying the stored settings to a frame without the controller.
#pragma once

#include <windows.h>

// On show: icons, logo, menu re-hide and drop-down arrows, as BC_AUTO words.
void reapplyToFrame(HWND window);
// After the frame re-laid out its rebar: logo, menu band, titles and arrows.
void reapplyBandSettings(HWND frame);
