// The fill records of this process: a fixed table, no allocation, since the show
// path runs inside the hooks. A record is written on the thread of its toolbar, the
// only one that fills or shows that toolbar; a slot is claimed by a compare-exchange
// of its toolbar so two threads never take the same one.
#include "icons/icon_fills.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

struct IconFill {
    HWND toolbar; // null: slot free
    HWND frame;   // the toolbar's root when it was filled
    HIMAGELIST lists[2];
    int images[2]; // what each list held after the fill (a null slot may add none)
    decltype(&ImageList_GetImageCount) imageCount;
    decltype(&ImageList_GetIconSize) iconSize;
    int size;
    LONG generation;
};

// One per frame showing the controller's icons; with every slot taken, further
// frames are simply refilled at each show, as they would be without the table.
constexpr int kFillSlots = 64;
IconFill fills[kFillSlots];

// The toolbar's slot, else a free one or one whose toolbar is gone.
IconFill* slotFor(HWND toolbar) {
    for (IconFill& fill : fills)
        if (fill.toolbar == toolbar) return &fill;
    for (IconFill& fill : fills) {
        HWND held = fill.toolbar;
        if (held != nullptr && IsWindow(held)) continue;
        if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&fill.toolbar), toolbar,
                                              held) == held)
            return &fill;
    }
    return nullptr;
}

// The toolbar shows the record's lists, as filled, from the current icons.
bool holdsFill(const IconFill& fill, HWND toolbar) {
    if (fill.generation != iconGenerationNow()) return false;
    const UINT queries[2] = {TB_GETIMAGELIST, TB_GETHOTIMAGELIST};
    for (int i = 0; i < 2; ++i) {
        HIMAGELIST list = fill.lists[i];
        if (reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, queries[i], 0, 0)) != list)
            return false;
        int cx = 0, cy = 0;
        // A toolbar without a hot list has none to compare.
        if (list != nullptr && (!fill.iconSize(list, &cx, &cy) || cx != fill.size ||
                                cy != fill.size || fill.imageCount(list) != fill.images[i]))
            return false;
    }
    return true;
}

BOOL CALLBACK findMainToolbar(HWND child, LPARAM found) {
    if (!isMainToolbar(child, 0)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Whether Explorer's icons are in place is a fact about this process's lists, not the
// desktop's: a frame whose toolbar shows lists this process filled with the current
// icons for another frame needs no fill of its own, and is noted as showing them.
bool sharesCurrentFill(HWND frame) {
    HWND toolbar = nullptr;
    EnumChildWindows(frame, findMainToolbar, reinterpret_cast<LPARAM>(&toolbar));
    if (toolbar == nullptr) return false;
    const auto normal = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    for (const IconFill& other : fills) {
        if (other.toolbar == nullptr || other.lists[0] != normal || !holdsFill(other, toolbar))
            continue;
        // The slot may be the other's own, reclaimed from a toolbar that is gone.
        if (IconFill* own = slotFor(toolbar)) {
            *own = other;
            own->toolbar = toolbar;
            own->frame = frame;
        }
        return true;
    }
    return false;
}

} // namespace

LONG iconGenerationNow() {
    return *static_cast<volatile LONG*>(&sharedState.iconGeneration);
}

void bumpIconGeneration() {
    InterlockedIncrement(&sharedState.iconGeneration);
}

void noteIconFill(const ImageListApi& api, HWND toolbar, HIMAGELIST normal, HIMAGELIST hot,
                  int size, LONG generation) {
    IconFill* fill = slotFor(toolbar);
    if (fill == nullptr) return;
    fill->frame = GetAncestor(toolbar, GA_ROOT);
    fill->lists[0] = normal;
    fill->lists[1] = hot;
    for (int i = 0; i < 2; ++i)
        fill->images[i] = api.getImageCount(fill->lists[i]);
    fill->imageCount = api.getImageCount;
    fill->iconSize = api.getIconSize;
    fill->size = size;
    fill->generation = generation;
}

bool frameShowsCurrentIcons(HWND frame) {
    // A pending visual-style change re-applies at the next layout query: the show's
    // walk must run so that its own layout query gets there.
    if (processState.themeChangePending != 0) return false;
    // Most windows shown are no frame this process filled: a scan of the table ends it.
    const IconFill* fill = nullptr;
    for (const IconFill& candidate : fills)
        if (candidate.toolbar != nullptr && candidate.frame == frame) fill = &candidate;
    if (fill != nullptr)
        return GetAncestor(fill->toolbar, GA_ROOT) == frame && holdsFill(*fill, fill->toolbar);
    // Explorer's frames share the process's lists: a new one may show another's fill.
    return isExplorerFrame(frame) && sharesCurrentFill(frame);
}
