// setIcons_EXPIE and setSmallIcons_EXPIE: the controller's icon handles are
// stored by slot; nothing is sent until the next icon walk.
#include "TarvikToolBar.h"
#include "icons/icon_fills.h"
#include "state/shared_state.h"

namespace {

// Entries 0..count-1, bounded to the tables; a negative count stores none.
int storedEntries(int count) {
    return count < 0 ? 0 : (count > kIconSlots ? kIconSlots : count);
}

void storeTable(HICON (&table)[kIconSlots], const HICON* source, int entries) {
    for (int i = 0; i < entries; ++i)
        table[i] = source[i];
}

} // namespace

extern "C" void __cdecl setIcons_EXPIE(const HICON* icons, const HICON* hotIcons, int count,
                                       int size) {
    const int entries = storedEntries(count);
    // A missing table gives no icons: its entries keep what they held.
    if (icons != nullptr) storeTable(sharedState.largeIcons, icons, entries);
    if (hotIcons != nullptr) storeTable(sharedState.largeHotIcons, hotIcons, entries);
    sharedState.largeIconSize = size;
    bumpIconGeneration();
}

extern "C" void __cdecl setSmallIcons_EXPIE(const HICON* icons, const HICON* hotIcons, int count,
                                            int size) {
    const int entries = storedEntries(count);
    // A null table means: the same icons as the large set, as stored now.
    storeTable(sharedState.smallIcons, icons != nullptr ? icons : sharedState.largeIcons, entries);
    storeTable(sharedState.smallHotIcons,
               hotIcons != nullptr ? hotIcons : sharedState.largeHotIcons, entries);
    sharedState.smallIconSize = size;
    bumpIconGeneration();
}
