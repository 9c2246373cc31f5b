// Which browser frames still need the saved native icons. Freed after the first
// restore or close, the other frames would be refilled from empty tables, or
// would later save the controller's icons as their native ones.
#include "icons/ie_icon_frames.h"
#include "icons/icon_release.h"
#include "icons/icon_strips.h"
#include "state/process_state.h"

namespace {

HWND* findFrame(HWND frame) {
    for (HWND& slot : processState.ieIconFrames)
        if (slot == frame) return &slot;
    return nullptr;
}

// A free slot, or one whose window is gone.
bool claim(HWND& slot, HWND frame) {
    HWND held = slot;
    if (held != nullptr && IsWindow(held)) return false;
    return InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&slot), frame, held) == held;
}

} // namespace

void noteIEIconsApplied(HWND frame) {
    if (frame == nullptr || findFrame(frame) != nullptr) return;
    for (HWND& slot : processState.ieIconFrames)
        if (claim(slot, frame)) return;
    // Table full: this frame is not waited for, as if it had no icons of the controller.
}

void releaseIEIconsAfter(HWND frame) {
    if (HWND* slot = findFrame(frame))
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(slot), nullptr, frame);
    for (HWND other : processState.ieIconFrames)
        if (other != nullptr && other != frame && IsWindow(other)) return;
    freeSavedIEIcons();
    releaseIconStrips();
}
