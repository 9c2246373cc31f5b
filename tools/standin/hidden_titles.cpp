// Windows draws no title for a band with RBBS_HIDETITLE ("Keep band title hidden",
// Microsoft, REBARBANDINFO structure). Wine's rebar still draws it, centred in the
// header, once the band's header width was set: a hidden "Address" title in the 18
// pixels the library leaves that band shows "dr" (checked with a rebar of its own: with
// RBBS_HIDETITLE alone no text, with a header width the middle letters).
//
// The model answers the rebar's custom draw, which Wine's rebar sends for each band's
// header (dwItemSpec the band id, rc the header): while it draws the header of a band
// whose title is hidden, its drawing is clipped to the gripper, the header's first 6
// pixels (where Wine draws it, measured), so no letter reaches the screen.
#include "hidden_titles.h"

#include <algorithm>

namespace standin::detail {

namespace {

constexpr LONG kGripperPixels = 6;

bool titleHidden(HWND rebar, DWORD_PTR bandId) {
    const auto index = static_cast<int>(SendMessageW(rebar, RB_IDTOINDEX, bandId, 0));
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE;
    return index >= 0 &&
           SendMessageW(rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band)) &&
           (band.fStyle & RBBS_HIDETITLE) != 0;
}

} // namespace

LRESULT drawHiddenTitlesAsWindows(const NMCUSTOMDRAW& draw) {
    switch (draw.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (!titleHidden(draw.hdr.hwndFrom, draw.dwItemSpec)) return CDRF_DODEFAULT;
        SaveDC(draw.hdc);
        IntersectClipRect(draw.hdc, draw.rc.left, draw.rc.top,
                          std::min(draw.rc.right, draw.rc.left + kGripperPixels), draw.rc.bottom);
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: RestoreDC(draw.hdc, -1); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

} // namespace standin::detail
