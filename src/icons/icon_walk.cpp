// iconToolbarProc. Explorer frames share one process and one set of toolbar
// lists, so Explorer's pair is captured once and reused; an Internet Explorer
// pair is captured afresh by every walk and used only there. Either way the lists
// worked on are ones this process took from its own toolbars: the shared slots
// only get copies.
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
    bool captured; // taken from this walk's toolbar or this process's record
};

ListPair toolbarLists(HWND toolbar) {
    ListPair pair;
    pair.normal = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    pair.hot = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
    pair.captured = true;
    return pair;
}

// Explorer's pair of the toolbar's size class, captured if this process has none.
void captureExplorerPair(HWND toolbar) {
    const bool large = probeIconSize(toolbar) != 0;
    const ListSlots own = explorerListSlots(large);
    if (*own.normal != nullptr || *own.hot != nullptr) return;
    const ListPair lists = toolbarLists(toolbar);
    *own.normal = lists.normal;
    *own.hot = lists.hot;
    recordExplorerPair(large);
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
    const ListSlots own = explorerListSlots(large);
    return {*own.normal, *own.hot, true};
}

void setToolbarLists(HWND toolbar, ListPair pair) {
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.normal));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.hot));
}

void applyIcons(HWND toolbar, bool explorer, ListPair iePair) {
    const bool large = probeIconSize(toolbar) != 0;
    const ListPair pair = pairFor(explorer, large, iePair);
    if (!pair.captured) return; // a kind word with no pair captured by this walk
    loadIconSet(1, large, explorer, pair.normal, pair.hot,
                large ? sharedState.largeIcons : sharedState.smallIcons,
                large ? sharedState.largeHotIcons : sharedState.smallHotIcons,
                sharedState.iconIndex, iconSlotsInUse());
    setToolbarLists(toolbar, pair);
}

void restoreIcons(HWND toolbar, bool explorer, ListPair iePair) {
    const bool large = probeIconSize(toolbar) != 0;
    const ListPair pair = pairFor(explorer, large, iePair);
    // Nothing saved since the last release, nothing to put back: refilled from the emptied
    // tables, the toolbar would lose the images it shows (a second restore in a row).
    if (!pair.captured || *savedTables(explorer, large).valid == 0) return;
    loadIconSet(0, large, explorer, pair.normal, pair.hot, nullptr, nullptr, nullptr, kIconSlots);
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
