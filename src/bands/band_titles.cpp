// Hides or shows the titles of bands 3 and 4. Every toolbar directly in a
// rebar gives that rebar a pass; only a band not yet as wanted is written.
#include "bands/band_titles.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "windows/class_names.h"

namespace {

constexpr UINT kAddressBandId = 3;
constexpr UINT kLinksBandId = 4;
// Header widths in pixels: a hidden title keeps a grip-sized header, a shown
// one gets its text width (plus room for the address band's icon).
constexpr UINT kAddressHiddenHeader = 18;
constexpr UINT kLinksHiddenHeader = 8;
constexpr UINT kAddressHeaderExtra = 24;

// New header width, or false when the band's title is already as wanted.
bool retitle(REBARBANDINFOA& band, const char* text, bool show) {
    const bool hidden = (band.fStyle & RBBS_HIDETITLE) != 0;
    const bool address = band.wID == kAddressBandId;
    if (show && hidden) {
        band.fStyle &= ~RBBS_HIDETITLE;
        band.cxHeader = measureTextWidth(text, nullptr) + (address ? kAddressHeaderExtra : 0);
        return true;
    }
    if (!show && !hidden) {
        band.fStyle |= RBBS_HIDETITLE;
        band.cxHeader = address ? kAddressHiddenHeader : kLinksHiddenHeader;
        return true;
    }
    return false;
}

void retitleBands(HWND rebar, bool show) {
    const int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    if (count <= 0) return;
    char text[kBandTextBytes];
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_ID | RBBIM_HEADERSIZE;
    for (int i = 0; i < count; ++i) {
        text[0] = '\0';
        band.lpText = text;
        band.cch = kBandTextBytes;
        SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        text[kBandTextBytes - 1] = '\0';
        if (band.wID != kAddressBandId && band.wID != kLinksBandId) continue;
        if (retitle(band, text, show))
            SendMessageA(rebar, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
    }
}

} // namespace

BOOL CALLBACK headerBandProc(HWND window, LPARAM param) {
    char name[kClassNameChars];
    readClassName(window, name, kClassNameChars);
    BusyScope busy;
    if (!sameName(name, kToolbarClass)) return TRUE;
    HWND parent = GetParent(window);
    if (parent == nullptr || !hasClass(parent, kRebarClass, name, kClassNameChars)) return TRUE;
    retitleBands(parent, walkShows(param));
    return TRUE;
}

int walkHeaders(HWND frame, int show) {
    return EnumChildWindows(frame, headerBandProc, walkParam(show));
}

int measureTextWidth(const char* text, SIZE* sizeOut) {
    static constexpr char kSample[] = "A";
    const char* measured = text != nullptr ? text : kSample;
    SIZE size{0, 0};
    if (HDC screen = GetDC(nullptr)) {
        HGDIOBJ kept = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
        if (!GetTextExtentPoint32A(screen, measured, lstrlenA(measured), &size)) size = {0, 0};
        SelectObject(screen, kept);
        ReleaseDC(nullptr, screen);
    }
    if (sizeOut != nullptr) *sizeOut = size;
    return size.cx;
}
