// Removing and restoring drop-down arrows. A button that ever had the arrow
// when it was rewritten marks its position, per frame kind, desktop-wide, so a
// later show gives the arrow back to whatever button then stands there.
#include "bands/dropdown_arrows.h"
#include "bands/toolbar_layout.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

// Rewrites one button's style; false when it is neither a drop-down nor marked.
bool rewriteButton(HWND toolbar, int position, int (&touched)[kIconSlots], bool show) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
    if (button.fsStyle & BTNS_SEP) return false;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    SendMessageA(toolbar, TB_GETBUTTONINFOA, button.idCommand, reinterpret_cast<LPARAM>(&info));
    // Positions past the mark row are never marked.
    const bool markable = position < kIconSlots;
    const bool marked = markable && touched[position] != 0;
    if (!(info.fsStyle & BTNS_DROPDOWN) && !marked) return false;
    if (markable) touched[position] = 1;
    if (show)
        info.fsStyle |= BTNS_DROPDOWN | BTNS_AUTOSIZE;
    else
        info.fsStyle &= ~BTNS_DROPDOWN;
    SendMessageA(toolbar, TB_SETBUTTONINFOA, button.idCommand, reinterpret_cast<LPARAM>(&info));
    return true;
}

// Arrows shown: as much room across as down; hidden: none either way.
void adjustSpacing(HWND toolbar, bool show) {
    TBMETRICS metrics{};
    metrics.cbSize = sizeof metrics;
    metrics.dwMask = TBMF_BUTTONSPACING;
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
    if (show) {
        metrics.cxButtonSpacing = metrics.cyButtonSpacing;
    } else {
        metrics.cxButtonSpacing = 0;
        metrics.cyButtonSpacing = 0;
    }
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
}

} // namespace

void setDropdownArrows(HWND toolbar, int show) {
    BusyScope busy;
    HWND root = GetAncestor(toolbar, GA_ROOT);
    const int kind = frameKindOf(root);
    if (kind == kKindNone) return;
    int(&touched)[kIconSlots] = sharedState.dropdownTouched[kindIndex(kind)];
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    bool changed = false;
    for (int position = 0; position < count; ++position)
        if (rewriteButton(toolbar, position, touched, show != 0)) changed = true;
    if (changed) adjustSpacing(toolbar, show != 0);
}

BOOL CALLBACK dropdownToolbarProc(HWND window, LPARAM param) {
    if (!isMainToolbar(window, 1)) return TRUE;
    setDropdownArrows(window, walkShows(param) ? 1 : 0);
    relayoutToolbar(window);
    fitBandToToolbar(window);
    return FALSE;
}

int walkDropdowns(HWND frame, int show) {
    return EnumChildWindows(frame, dropdownToolbarProc, walkParam(show));
}
