// iconToolbarProc. Explorer frames share one process and one set of toolbar
// lists, so Explorer's pair is captured once and reused; an Internet Explorer
// pair is captured afresh by every walk and used only there.
#include "icons/icon_walk.h"
#include "bands/toolbar_layout.h"
#include "icons/icon_tables.h"
#include "icons/ie_icon_frames.h"
#include "icons/load_icon_set.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

struct ListPair {
    HIMAGELIST normal;
    HIMAGELIST hot;
    bool usable; // the handles belong to this process
};

ListPair toolbarLists(HWND toolbar) {
    ListPair pair;
    pair.normal = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    pair.hot = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
    pair.usable = true;
    return pair;
}

// Explorer's pair of the toolbar's size class, captured if its slots are empty.
// A pair captured by another process is of no use here and is captured anew.
void captureExplorerPair(HWND toolbar) {
    const ListSlots slots = explorerListSlots(probeIconSize(toolbar) != 0);
    const DWORD self = GetCurrentProcessId();
    const bool empty = *slots.normal == nullptr && *slots.hot == nullptr;
    if (!empty && *slots.owner == self) return;
    const ListPair lists = toolbarLists(toolbar);
    *slots.normal = lists.normal;
    *slots.hot = lists.hot;
    *slots.owner = self;
}

ListPair captureIEPair(HWND toolbar) {
    const ListSlots slots = ieListSlots(probeIconSize(toolbar) != 0);
    const ListPair lists = toolbarLists(toolbar);
    *slots.normal = lists.normal;
    *slots.hot = lists.hot;
    return lists;
}

// The pair this walk works on, for the size class probed just now.
ListPair pairFor(bool explorer, bool large, ListPair iePair) {
    if (!explorer) return iePair;
    const ListSlots slots = explorerListSlots(large);
    if (*slots.owner != GetCurrentProcessId()) return {nullptr, nullptr, false};
    return {*slots.normal, *slots.hot, true};
}

void setToolbarLists(HWND toolbar, ListPair pair) {
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.normal));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.hot));
}

void applyIcons(HWND toolbar, bool explorer, ListPair iePair) {
    const bool large = probeIconSize(toolbar) != 0;
    const ListPair pair = pairFor(explorer, large, iePair);
    if (!pair.usable) return; // another process's list handles would be wild pointers here
    loadIconSet(1, large, explorer, pair.normal, pair.hot,
                large ? sharedState.largeIcons : sharedState.smallIcons,
                large ? sharedState.largeHotIcons : sharedState.smallHotIcons,
                sharedState.iconIndex, iconSlotsInUse());
    setToolbarLists(toolbar, pair);
}

void restoreIcons(HWND toolbar, bool explorer, ListPair iePair) {
    const bool large = probeIconSize(toolbar) != 0;
    const ListPair pair = pairFor(explorer, large, iePair);
    if (!pair.usable) return;
    loadIconSet(0, large, explorer, pair.normal, pair.hot, nullptr, nullptr, nullptr,
                iconSlotsInUse());
    setToolbarLists(toolbar, pair);
}

} // namespace

int probeIconSize(HWND toolbar) {
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    IMAGEINFO info{};
    // No list or no image 0: nothing to measure, so the toolbar counts as small.
    if (list == nullptr || !ImageList_GetImageInfo(list, 0, &info)) info = IMAGEINFO{};
    const int height = info.rcImage.bottom - info.rcImage.top;
    if (height > kSmallIconMaxHeight) {
        sharedState.iconSizeMode = kSizeModeLarge;
        return 1;
    }
    sharedState.iconSizeMode = kSizeModeSmall;
    return 0;
}

BOOL CALLBACK iconToolbarProc(HWND child, LPARAM param) {
    if (!isMainToolbar(child, 1)) return TRUE;
    const bool explorer = (param & kIconExplorer) != 0;
    ListPair iePair{nullptr, nullptr, false};
    if (explorer)
        captureExplorerPair(child);
    else if (param & kIconIE)
        iePair = captureIEPair(child);
    BusyScope busy;
    if (param & kIconApply) {
        applyIcons(child, explorer, iePair);
        if (param & kIconIE) noteIEIconsApplied(GetAncestor(child, GA_ROOT));
    } else if (param & kIconRestore) {
        restoreIcons(child, explorer, iePair);
        if (param & kIconIE) releaseIEIconsAfter(GetAncestor(child, GA_ROOT));
    } else {
        return FALSE;
    }
    relayoutToolbar(child);
    fitBandToToolbar(child);
    return FALSE;
}
