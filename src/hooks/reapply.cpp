// The two automatic re-applications: the show path goes through the
// broadcast procedure (nested sends on this thread); the re-apply timer calls
// the walks directly with the hide flags as they are at the tick, and its logo
// and arrow walks tell the frame's record what they found.
#include "hooks/reapply.h"
#include "bands/band_titles.h"
#include "bands/dropdown_arrows.h"
#include "bands/logo_band.h"
#include "bands/menu_band.h"
#include "control/broadcast.h"
#include "hooks/verified_walks.h"
#include "icons/icon_fills.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

int shown(int hide) {
    return hide == 0 ? 1 : 0;
}

} // namespace

void reapplyToFrame(HWND window) {
    // Most windows shown are no frame: asked once here, not by each of the four words.
    if (frameKindOf(window) == kKindNone) return;
    // Lists that already hold the controller's current icons are not refilled: the frame's
    // own, or Explorer's lists of this process that another frame's fill left current.
    if (!frameShowsCurrentIcons(window)) broadcastToFrame(window, BC_AUTO | BC_ICONS_APPLY);
    // Only here may a walk be skipped: an explicit apply always walks in full.
    processState.reapplyingTo = window;
    broadcastToFrame(window, BC_AUTO | BC_LOGO_APPLY);
    broadcastToFrame(window, BC_AUTO | BC_MENU_REHIDE);
    broadcastToFrame(window, BC_AUTO | BC_DROPDOWN_APPLY);
    processState.reapplyingTo = nullptr;
}

void reapplyBandSettings(HWND frame) {
    // Only frames get the timer; everything that is not an Explorer frame takes the other column.
    const bool explorer = isExplorerFrame(frame) != 0;
    const int k = explorer ? 0 : 1;
    walkUnlessVerified(frame, kLogoFact, shown(sharedState.hideLogo[k]), k);
    if (explorer)
        showMenuBand(frame, shown(sharedState.hideMenu[0]));
    else if (sharedState.hideMenu[1] != 0)
        showMenuBand(frame, 0);
    walkHeaders(frame, shown(sharedState.hideHeader[k]));
    walkUnlessVerified(frame, kArrowsFact, shown(sharedState.hideDropdown[k]), k);
    killStoredTimer(frame, FrameTimer::Reapply);
}
