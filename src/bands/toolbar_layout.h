// Re-laying out a toolbar after its buttons or images changed, and refitting
// the rebar band that holds it.
#pragma once

#include <windows.h>

// Two button-width limits (10, then 300 pixels) and an ideal-size query.
void relayoutToolbar(HWND toolbar);
// The band's minimum size from the first button, its ideal width from the last;
// a band that has them already is neither written nor repainted.
void fitBandToToolbar(HWND toolbar);
// True when the band holding the toolbar has those sizes, or there is nothing to
// fit (no band, no button).
bool bandFitsToolbar(HWND toolbar);
