// Menu band visibility read from the rebar.
#include "menu_band_state.h"

#include <commctrl.h>
#include "standin/frame_options.h"

namespace menu_test {

int menuBandShown(const std::vector<standin::BandRecord>& bands) {
    for (const standin::BandRecord& band : bands)
        if (band.wID == standin::kMenuBandId) return (band.fStyle & RBBS_HIDDEN) != 0 ? 0 : 1;
    return -1;
}

int menuBandShown(HWND rebar) {
    return menuBandShown(standin::snapshotBands(rebar));
}

void showMenuBandByHand(HWND rebar, bool show) {
    const auto index = SendMessageA(rebar, RB_IDTOINDEX, standin::kMenuBandId, 0);
    SendMessageA(rebar, RB_SHOWBAND, static_cast<WPARAM>(index), show ? TRUE : FALSE);
}

} // namespace menu_test
