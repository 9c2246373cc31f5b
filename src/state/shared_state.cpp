// Placement of the shared block: a section flagged SHARED, so the loader maps
// the same pages into every process. Only menuBandVisible starts non-zero.
#include "state/shared_state.h"

namespace {

constexpr SharedState loadedImage() {
    SharedState state{};
    state.menuBandVisible = 1;
    return state;
}

} // namespace

constinit SharedState sharedState __attribute__((section("shared"), shared)) = loadedImage();
