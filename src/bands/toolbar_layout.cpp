// Toolbar re-layout and band refit. Both count as the library's own changes
// (busy): the rebar's child-size notifications they cause arm no re-apply
// timer, or every re-application would arm the next one.
#include "bands/toolbar_layout.h"
#include "state/process_state.h"
#include "state/records.h"

namespace {

// Button widths: squeeze to 10 pixels, then allow 300, so every button is re-measured.
constexpr WORD kSqueezedWidth = 10;
constexpr WORD kRoomyWidth = 300;
// Far above any real rebar's band count; bounds the search if the parent answers oddly.
constexpr UINT kMaxBands = 1024;

// Index of the band that holds the toolbar, resolved by its id; -1 if none.
int bandIndexOf(HWND rebar, HWND toolbar) {
    const UINT bands = static_cast<UINT>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    for (UINT i = 0; i < bands && i < kMaxBands; ++i) {
        band.fMask = RBBIM_CHILD | RBBIM_ID;
        SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        if (band.hwndChild == toolbar)
            return static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, band.wID, 0));
    }
    return -1;
}

} // namespace

void relayoutToolbar(HWND toolbar) {
    BusyScope busy;
    SendMessageA(toolbar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(0, kSqueezedWidth));
    SendMessageA(toolbar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(0, kRoomyWidth));
    SIZE ideal{0, 0};
    SendMessageA(toolbar, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&ideal));
}

void fitBandToToolbar(HWND toolbar) {
    BusyScope busy;
    HWND rebar = GetParent(toolbar);
    const int index = bandIndexOf(rebar, toolbar);
    if (index < 0) return;
    // Without buttons there are no item rectangles to size the band from.
    const int buttons = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    if (buttons <= 0) return;
    RECT last{}, first{};
    SendMessageA(toolbar, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last));
    SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    REBARBANDINFOA fit{};
    fit.cbSize = sizeof fit;
    fit.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
    fit.cxMinChild = first.right;
    fit.cyMinChild = first.bottom - first.top;
    fit.cxIdeal = last.right;
    SendMessageA(rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&fit));
    InvalidateRect(rebar, nullptr, TRUE);
    UpdateWindow(rebar);
    InvalidateRect(toolbar, nullptr, TRUE);
    UpdateWindow(toolbar);
}
