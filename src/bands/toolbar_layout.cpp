// Toolbar re-layout and band refit. Both count as the library's own changes
// (busy): the rebar's child-size notifications they cause arm no re-apply
// timer, or every re-application would arm the next one. A band that already
// has the sizes the toolbar asks for is not written: the write would change
// nothing but make the rebar lay out and notify again.
#include "bands/toolbar_layout.h"
#include "state/process_state.h"
#include "state/records.h"

namespace {

// Button widths: squeeze to 10 pixels, then allow 300, so every button is re-measured.
constexpr WORD kSqueezedWidth = 10;
constexpr WORD kRoomyWidth = 300;
// Far above any real rebar's band count; bounds the search if the parent answers oddly.
constexpr UINT kMaxBands = 1024;
constexpr UINT kFitFields = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
constexpr UINT kReadFields = RBBIM_STYLE | RBBIM_CHILD | RBBIM_ID | kFitFields;

struct BandFit {
    HWND rebar;
    int index;          // the band the rebar gives for the holding band's id; -1 if none
    REBARBANDINFOA fit; // the sizes the toolbar asks for, every other field 0
    bool fits;          // the band has them already
};

void readBand(HWND rebar, UINT index, REBARBANDINFOA& band) {
    band.fMask = kReadFields;
    SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
}

// The heights beyond the minimum count only for a band of variable height.
bool hasSizes(const REBARBANDINFOA& band, const REBARBANDINFOA& fit) {
    return band.cxMinChild == fit.cxMinChild && band.cyMinChild == fit.cyMinChild &&
           band.cxIdeal == fit.cxIdeal &&
           (!(band.fStyle & RBBS_VARIABLEHEIGHT) ||
            (band.cyChild == 0 && band.cyMaxChild == 0 && band.cyIntegral == 0));
}

// The band that holds the toolbar, resolved by its id, and the sizes its first and
// last buttons ask for: the minimum from the first, the ideal width to the last.
BandFit measure(HWND toolbar) {
    BandFit result{};
    result.rebar = GetParent(toolbar);
    result.index = -1;
    const UINT bands = static_cast<UINT>(SendMessageA(result.rebar, RB_GETBANDCOUNT, 0, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    UINT holder = 0;
    for (; holder < bands && holder < kMaxBands; ++holder) {
        readBand(result.rebar, holder, band);
        if (band.hwndChild == toolbar) break;
    }
    if (holder >= bands || holder >= kMaxBands) return result;
    const int index = static_cast<int>(SendMessageA(result.rebar, RB_IDTOINDEX, band.wID, 0));
    if (index < 0) return result;
    // Without buttons there are no item rectangles to size the band from.
    const int buttons = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    if (buttons <= 0) return result;
    RECT last{}, first{};
    SendMessageA(toolbar, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last));
    SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    result.index = index;
    result.fit.cbSize = sizeof result.fit;
    result.fit.fMask = kFitFields;
    result.fit.cxMinChild = first.right;
    result.fit.cyMinChild = first.bottom - first.top;
    result.fit.cxIdeal = last.right;
    // An earlier band with the same id is the one resized: its own sizes count.
    if (static_cast<UINT>(index) != holder) readBand(result.rebar, index, band);
    result.fits = hasSizes(band, result.fit);
    return result;
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
    BandFit band = measure(toolbar);
    if (band.index < 0 || band.fits) return;
    SendMessageA(band.rebar, RB_SETBANDINFOA, band.index, reinterpret_cast<LPARAM>(&band.fit));
    InvalidateRect(band.rebar, nullptr, TRUE);
    UpdateWindow(band.rebar);
    InvalidateRect(toolbar, nullptr, TRUE);
    UpdateWindow(toolbar);
}

bool bandFitsToolbar(HWND toolbar) {
    const BandFit band = measure(toolbar);
    return band.index < 0 || band.fits;
}
