// A rebar whose hidden band titles stay undrawn, as on Windows. Internal to the
// stand-in library.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace standin::detail {

// The answer to a rebar's NM_CUSTOMDRAW (see hidden_titles.cpp).
LRESULT drawHiddenTitlesAsWindows(const NMCUSTOMDRAW& draw);

} // namespace standin::detail
