// Removing and restoring drop-down arrows. A button that ever had the arrow
// when it was rewritten marks its position, per frame kind, desktop-wide, so a
// later show gives the arrow back to whatever button then stands there. Each
// button is read once; only a style or spacing that differs is written, and the
// toolbar is laid out again only when something was written or its band no
// longer fits it.
#include "bands/dropdown_arrows.h"
#include "bands/toolbar_layout.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

// A drop-down or marked button gets the style show asks for; false for any other.
bool restyleButton(HWND toolbar, int position, int (&touched)[kIconSlots], bool show, bool* wrote) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
    if (button.fsStyle & BTNS_SEP) return false;
    // Positions past the mark row are never marked.
    const bool markable = position < kIconSlots;
    const bool marked = markable && touched[position] != 0;
    if (!(button.fsStyle & BTNS_DROPDOWN) && !marked) return false;
    if (markable) touched[position] = 1;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    info.fsStyle = static_cast<BYTE>(show ? button.fsStyle | BTNS_DROPDOWN | BTNS_AUTOSIZE
                                          : button.fsStyle & ~BTNS_DROPDOWN);
    if (info.fsStyle != button.fsStyle) {
        SendMessageA(toolbar, TB_SETBUTTONINFOA, button.idCommand, reinterpret_cast<LPARAM>(&info));
        *wrote = true;
    }
    return true;
}

// Arrows shown: as much room across as down; hidden: none either way.
bool adjustSpacing(HWND toolbar, bool show) {
    TBMETRICS metrics{};
    metrics.cbSize = sizeof metrics;
    metrics.dwMask = TBMF_BUTTONSPACING;
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
    const int across = show ? metrics.cyButtonSpacing : 0;
    if (across == metrics.cxButtonSpacing && (show || metrics.cyButtonSpacing == 0)) return false;
    metrics.cxButtonSpacing = across;
    if (!show) metrics.cyButtonSpacing = 0;
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
    return true;
}

} // namespace

int setDropdownArrows(HWND toolbar, int show) {
    BusyScope busy;
    HWND root = GetAncestor(toolbar, GA_ROOT);
    const int kind = frameKindOf(root);
    if (kind == kKindNone) return 0;
    int(&touched)[kIconSlots] = sharedState.dropdownTouched[kindIndex(kind)];
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    bool arrows = false, wrote = false;
    for (int position = 0; position < count; ++position)
        if (restyleButton(toolbar, position, touched, show != 0, &wrote)) arrows = true;
    if (arrows && adjustSpacing(toolbar, show != 0)) wrote = true;
    return wrote ? 1 : 0;
}

BOOL CALLBACK dropdownToolbarProc(HWND window, LPARAM param) {
    if (!isMainToolbar(window, 1)) return TRUE;
    // A pending visual-style change waits for the layout query to re-apply the icons.
    if (setDropdownArrows(window, walkShows(param) ? 1 : 0) ||
        processState.themeChangePending != 0 || !bandFitsToolbar(window)) {
        relayoutToolbar(window);
        fitBandToToolbar(window);
    }
    return FALSE;
}

int walkDropdowns(HWND frame, int show) {
    return EnumChildWindows(frame, dropdownToolbarProc, walkParam(show));
}
