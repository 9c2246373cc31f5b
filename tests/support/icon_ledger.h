// An honest count of the icons one loaded module makes and destroys. The
// module's imports of GetProcAddress and DestroyIcon are routed through the
// ledger: ImageList_GetIcon, ImageList_SetIconSize and ImageList_ReplaceIcon, as the
// module looks them up, are its counting stand-ins, which forward each call and book it.
// Wine's GetGuiResources answers 0, so counting at the calls is the real measure.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace tarvik::test {

// Plain data, so a host process can hand its counts to a test.
struct IconLedgerCounts {
    std::uint32_t created;         // non-null icons ImageList_GetIcon returned
    std::uint32_t destroyed;       // DestroyIcon on an icon it created, while alive
    std::uint32_t live;            // created and not destroyed yet
    std::uint32_t destroyedTwice;  // DestroyIcon on an icon it had destroyed already
    std::uint32_t destroyedOther;  // DestroyIcon on an icon ImageList_GetIcon never returned
    std::uint32_t destroyedNull;   // DestroyIcon(NULL)
    std::uint32_t resizes;         // ImageList_SetIconSize calls
    std::uint32_t sameSizeResizes; // ... to the size the list already had (Wine empties it)
    std::uint32_t nullListResizes; // ... on no list at all
    std::uint32_t replaceIcons;    // ImageList_ReplaceIcon calls (each refill slot is one)
    std::uint32_t adds;            // ImageList_Add calls (a prepared strip, many images each)
};
static_assert(std::is_trivially_copyable_v<IconLedgerCounts>, "counts cross processes");

// Patches `module`'s imports; a second call for the same module changes nothing.
bool installIconLedger(HMODULE module, std::string* error = nullptr);
IconLedgerCounts iconLedgerCounts();
// Handles counted in destroyedOther, in the order of the calls.
std::vector<HICON> iconsDestroyedOther();
// Every handle passed to DestroyIcon, in the order of the calls.
std::vector<HICON> iconsDestroyed();

} // namespace tarvik::test
