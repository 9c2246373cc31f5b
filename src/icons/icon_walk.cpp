// iconToolbarProc. Explorer frames share one process and one set of toolbar
// lists, so Explorer's pair is captured once and reused; an Internet Explorer
// pair is captured afresh by every walk and used only there. Either way the lists
// worked on are ones this process took from its own toolbars: the shared slots
// only get copies.
#include "icons/icon_walk.h"
#include "bands/toolbar_layout.h"
#include "icons/icon_fills.h"
#include "icons/icon_tables.h"
#include "icons/ie_icon_frames.h"
#include "icons/image_list_api.h"
#include "icons/load_icon_set.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

struct ListPair {
    HIMAGELIST normal;
    HIMAGELIST hot;
    bool captured;    // taken from this walk's toolbar or this process's record
    ImageListApi api; // of the module that made the pair
};

ListPair toolbarLists(HWND toolbar, const ImageListApi& api) {
    ListPair pair;
    pair.normal = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    pair.hot = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
    pair.captured = true;
    pair.api = api;
    return pair;
}

int probeWith(HWND toolbar, const ImageListApi& api) {
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    IMAGEINFO info{};
    // No list or no image 0: nothing to measure, so the toolbar counts as small.
    if (list == nullptr || !api.getImageInfo(list, 0, &info)) info = IMAGEINFO{};
    const int height = info.rcImage.bottom - info.rcImage.top;
    if (height > kSmallIconMaxHeight) {
        sharedState.iconSizeMode = kSizeModeLarge;
        return 1;
    }
    sharedState.iconSizeMode = kSizeModeSmall;
    return 0;
}

// Explorer's pair of the toolbar's size class, captured if this process has none for
// the toolbar's module.
void captureExplorerPair(HWND toolbar, const ImageListApi& api, HMODULE module) {
    const bool large = probeWith(toolbar, api) != 0;
    ExplorerPairs* pairs = explorerPairsOf(module);
    if (pairs == nullptr) return;
    const ListSlots own = explorerListSlots(*pairs, large);
    if (*own.normal != nullptr || *own.hot != nullptr) return;
    const ListPair lists = toolbarLists(toolbar, api);
    *own.normal = lists.normal;
    *own.hot = lists.hot;
    recordExplorerPair(own, large);
}

ListPair captureIEPair(HWND toolbar, const ImageListApi& api) {
    const ListSlots slots = ieListSlots(probeWith(toolbar, api) != 0);
    const ListPair lists = toolbarLists(toolbar, api);
    *slots.normal = lists.normal;
    *slots.hot = lists.hot;
    return lists;
}

// The pair this walk works on, for the size class probed just now. Explorer's may come
// from another frame's toolbar, always one of the same module as this walk's.
ListPair pairFor(bool explorer, bool large, const ListPair& iePair, HMODULE module,
                 const ImageListApi& api) {
    ListPair pair = iePair;
    if (explorer) {
        ExplorerPairs* pairs = explorerPairsOf(module);
        if (pairs == nullptr) return {};
        const ListSlots own = explorerListSlots(*pairs, large);
        pair = {*own.normal, *own.hot, true, api};
    }
    // Without both lists the toolbar is left alone: the natives saved from it would be
    // wrong for its process's other toolbars, which fall back on the same saved icons.
    pair.captured = pair.captured && pair.normal != nullptr && pair.hot != nullptr;
    return pair;
}

void setToolbarLists(HWND toolbar, const ListPair& pair) {
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.normal));
    SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(pair.hot));
}

void applyIcons(HWND toolbar, const ImageListApi& api, HMODULE module, bool explorer,
                const ListPair& iePair) {
    const bool large = probeWith(toolbar, api) != 0;
    const ListPair pair = pairFor(explorer, large, iePair, module, api);
    if (!pair.captured) return;                  // a kind word with no pair captured by this walk
    const LONG generation = iconGenerationNow(); // before the icons are read
    loadIconSet(pair.api, 1, large, explorer, pair.normal, pair.hot,
                large ? sharedState.largeIcons : sharedState.smallIcons,
                large ? sharedState.largeHotIcons : sharedState.smallHotIcons,
                sharedState.iconIndex, iconSlotsInUse());
    setToolbarLists(toolbar, pair);
    noteIconFill(pair.api, toolbar, pair.normal, pair.hot, configuredIconSize(large), generation);
}

void restoreIcons(HWND toolbar, const ImageListApi& api, HMODULE module, bool explorer,
                  const ListPair& iePair) {
    const bool large = probeWith(toolbar, api) != 0;
    const ListPair pair = pairFor(explorer, large, iePair, module, api);
    // Nothing saved since the last release, nothing to put back: refilled from the emptied
    // tables, the toolbar would lose the images it shows (a second restore in a row).
    if (!pair.captured || *savedTables(explorer, large).valid == 0) return;
    loadIconSet(pair.api, 0, large, explorer, pair.normal, pair.hot, nullptr, nullptr, nullptr,
                kIconSlots);
    setToolbarLists(toolbar, pair);
}

} // namespace

int probeIconSize(HWND toolbar) {
    const ImageListApi api = imageListApiOf(toolbar);
    return complete(api) ? probeWith(toolbar, api) : 0;
}

BOOL CALLBACK iconToolbarProc(HWND child, LPARAM param) {
    if (!isMainToolbar(child, 1)) return TRUE;
    // A toolbar whose modules have no image-list functions is not one whose lists the
    // library knows how to handle: it is left alone, and the walk ends.
    HMODULE module = nullptr;
    const ImageListApi api = imageListApiOf(child, &module);
    if (!complete(api)) return FALSE;
    const bool explorer = (param & kIconExplorer) != 0;
    ListPair iePair{nullptr, nullptr, false, ImageListApi{}};
    if (explorer)
        captureExplorerPair(child, api, module);
    else if (param & kIconIE)
        iePair = captureIEPair(child, api);
    BusyScope busy;
    if (param & kIconApply) {
        applyIcons(child, api, module, explorer, iePair);
        if (param & kIconIE) noteIEIconsApplied(GetAncestor(child, GA_ROOT));
    } else if (param & kIconRestore) {
        restoreIcons(child, api, module, explorer, iePair);
        if (param & kIconIE) releaseIEIconsAfter(GetAncestor(child, GA_ROOT));
    } else {
        return FALSE;
    }
    relayoutToolbar(child);
    fitBandToToolbar(child);
    return FALSE;
}
