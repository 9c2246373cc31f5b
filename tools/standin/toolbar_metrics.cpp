// TB_GETMETRICS / TB_SETMETRICS as Windows' comctl32 6 answers them. Wine's toolbar
// leaves both to DefWindowProc, so the record is never read or written there.
//
// Modelled after Microsoft's documentation ("TB_GETMETRICS message", "TB_SETMETRICS
// message", "TBMETRICS structure", commctrl.h): lParam is a TBMETRICS, dwMask picks
// the members that are read or written (TBMF_PAD: cxPad/cyPad, TBMF_BARPAD:
// cxBarPad/cyBarPad, TBMF_BUTTONSPACING: cxButtonSpacing/cyButtonSpacing), and
// neither message returns a value. ReactOS's comctl32 API tests (TestButtonSpacing),
// run on Windows, add: a record whose cbSize is not sizeof(TBMETRICS) is left alone
// and sets nothing, a new toolbar's button spacing is 0/0, and a set is read back.
// The toolbar keeps its own spacing and bar padding; the padding is the one
// TB_GETPADDING / TB_SETPADDING use.
#include "toolbar_metrics.h"

#include <commctrl.h>

namespace standin::detail {

namespace {

constexpr UINT_PTR kSubclassId = 0x7B4D;

struct Metrics {
    int cxBarPad = 0, cyBarPad = 0;
    int cxButtonSpacing = 0, cyButtonSpacing = 0;
};

void getMetrics(HWND toolbar, const Metrics& own, TBMETRICS& record) {
    if (record.dwMask & TBMF_PAD) {
        const DWORD padding = static_cast<DWORD>(DefSubclassProc(toolbar, TB_GETPADDING, 0, 0));
        record.cxPad = LOWORD(padding);
        record.cyPad = HIWORD(padding);
    }
    if (record.dwMask & TBMF_BARPAD) {
        record.cxBarPad = own.cxBarPad;
        record.cyBarPad = own.cyBarPad;
    }
    if (record.dwMask & TBMF_BUTTONSPACING) {
        record.cxButtonSpacing = own.cxButtonSpacing;
        record.cyButtonSpacing = own.cyButtonSpacing;
    }
}

void setMetrics(HWND toolbar, Metrics& own, const TBMETRICS& record) {
    if (record.dwMask & TBMF_PAD)
        DefSubclassProc(toolbar, TB_SETPADDING, 0, MAKELPARAM(record.cxPad, record.cyPad));
    if (record.dwMask & TBMF_BARPAD) {
        own.cxBarPad = record.cxBarPad;
        own.cyBarPad = record.cyBarPad;
    }
    if (record.dwMask & TBMF_BUTTONSPACING) {
        own.cxButtonSpacing = record.cxButtonSpacing;
        own.cyButtonSpacing = record.cyButtonSpacing;
    }
}

LRESULT CALLBACK metricsProc(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
    auto* own = reinterpret_cast<Metrics*>(data);
    auto* record = reinterpret_cast<TBMETRICS*>(lParam);
    switch (message) {
    case TB_GETMETRICS:
        if (record != nullptr && record->cbSize == sizeof(TBMETRICS))
            getMetrics(toolbar, *own, *record);
        return 0;
    case TB_SETMETRICS:
        if (record != nullptr && record->cbSize == sizeof(TBMETRICS))
            setMetrics(toolbar, *own, *record);
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(toolbar, metricsProc, kSubclassId);
        delete own;
        break;
    default: break;
    }
    return DefSubclassProc(toolbar, message, wParam, lParam);
}

} // namespace

void answerToolbarMetrics(HWND toolbar) {
    if (toolbar == nullptr) return;
    auto* own = new Metrics{};
    if (!SetWindowSubclass(toolbar, metricsProc, kSubclassId, reinterpret_cast<DWORD_PTR>(own)))
        delete own;
}

} // namespace standin::detail
