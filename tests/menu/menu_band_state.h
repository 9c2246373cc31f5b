// The menu band's visibility as the rebar reports it, and setting it by hand
// (RB_SHOWBAND), for frames of this process; band snapshots for others.
#pragma once

#include <windows.h>
#include <vector>
#include "standin/snapshots.h"

namespace menu_test {

// 1 visible, 0 hidden, -1 when the snapshot holds no menu band.
int menuBandShown(const std::vector<standin::BandRecord>& bands);
// The same, read from a rebar of this process.
int menuBandShown(HWND rebar);
// Shows or hides the menu band of a rebar of this process.
void showMenuBandByHand(HWND rebar, bool show);

} // namespace menu_test
