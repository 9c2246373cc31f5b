// The fill records of this process: a fixed table, no allocation, since the show
// path runs inside the hooks. Each record is written on the thread of its toolbar,
// the only one that fills or shows that toolbar; a slot is claimed by a
// compare-exchange of its toolbar so threads never share one.
#include "icons/icon_fills.h"
#include "icons/icon_tables.h"
#include "icons/image_list_api.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

struct IconFill {
    HWND toolbar; // null: slot free
    HWND frame;   // the toolbar's root when it was filled
    int current;  // 0: forgotten, the lists hold something else now
    HIMAGELIST normal, hot;
    int size;
    int slots;                   // controller's slots filled
    int normalImages, hotImages; // what the lists held after (a null slot may add none)
    LONG generation;
};

// One per frame showing the controller's icons; with every slot taken, further
// frames are simply refilled at each show, as they would be without the table.
constexpr int kFillSlots = 64;
IconFill fills[kFillSlots];

IconFill* findToolbar(HWND toolbar) {
    for (IconFill& fill : fills)
        if (fill.toolbar == toolbar) return &fill;
    return nullptr;
}

IconFill* findFrame(HWND frame) {
    for (IconFill& fill : fills)
        if (fill.toolbar != nullptr && fill.frame == frame) return &fill;
    return nullptr;
}

// A free slot, or one whose toolbar is gone.
IconFill* claim(HWND toolbar) {
    for (IconFill& fill : fills) {
        HWND held = fill.toolbar;
        if (held != nullptr && IsWindow(held)) continue;
        if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&fill.toolbar), toolbar,
                                              held) == held)
            return &fill;
    }
    return nullptr;
}

BOOL CALLBACK firstMainToolbar(HWND child, LPARAM found) {
    if (!isMainToolbar(child, 1)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// A toolbar without a hot list has none to check.
bool listHolds(const ImageListApi& api, HIMAGELIST list, int size, int images) {
    if (list == nullptr) return true;
    int cx = 0, cy = 0;
    return api.getIconSize(list, &cx, &cy) && cx == size && cy == size &&
           api.getImageCount(list) == images;
}

// A frame whose main toolbar was made anew keeps one record: the older one goes.
void dropOthersOfFrame(const IconFill& kept) {
    for (IconFill& fill : fills) {
        HWND held = fill.toolbar;
        if (&fill == &kept || held == nullptr || fill.frame != kept.frame) continue;
        fill.current = 0;
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&fill.toolbar), nullptr, held);
    }
}

} // namespace

LONG iconGenerationNow() {
    return InterlockedCompareExchange(&sharedState.iconGeneration, 0, 0);
}

void bumpIconGeneration() {
    InterlockedIncrement(&sharedState.iconGeneration);
}

void noteIconFill(const ImageListApi& api, HWND toolbar, HIMAGELIST normal, HIMAGELIST hot,
                  int size, int slots, LONG generation) {
    IconFill* fill = findToolbar(toolbar);
    if (fill == nullptr) fill = claim(toolbar);
    if (fill == nullptr) return;
    fill->frame = GetAncestor(toolbar, GA_ROOT);
    fill->normal = normal;
    fill->hot = hot;
    fill->size = size;
    fill->slots = slots;
    fill->normalImages = api.getImageCount(normal);
    fill->hotImages = api.getImageCount(hot);
    fill->generation = generation;
    fill->current = normal != nullptr ? 1 : 0;
    dropOthersOfFrame(*fill);
}

void forgetIconFill(HWND toolbar) {
    if (IconFill* fill = findToolbar(toolbar)) fill->current = 0;
}

void forgetAllIconFills() {
    for (IconFill& fill : fills)
        fill.current = 0;
}

bool frameShowsCurrentIcons(HWND frame) {
    // Most windows shown are no frame this process filled: a scan of the table ends it.
    const IconFill* fill = findFrame(frame);
    if (fill == nullptr || fill->current == 0) return false;
    // A pending visual-style change re-applies at the next layout query: the show's
    // walk must run so that its own layout query gets there.
    if (processState.themeChangePending != 0) return false;
    if (fill->generation != iconGenerationNow() || fill->slots != iconSlotsInUse()) return false;
    // The walk would work on the first main toolbar of the frame: it must be this one.
    HWND toolbar = nullptr;
    EnumChildWindows(frame, firstMainToolbar, reinterpret_cast<LPARAM>(&toolbar));
    if (toolbar == nullptr || toolbar != fill->toolbar) return false;
    if (reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)) !=
            fill->normal ||
        reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0)) != fill->hot)
        return false;
    const ImageListApi api = imageListApiOf(toolbar);
    return complete(api) && listHolds(api, fill->normal, fill->size, fill->normalImages) &&
           listHolds(api, fill->hot, fill->size, fill->hotImages);
}
