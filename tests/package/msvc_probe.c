/*
 * An object of Microsoft's ABI (clang, *-pc-windows-msvc) that references every
 * export by its C name, decorated on i686 (_installHook_EXPIE, and
 * __imp__installHook_EXPIE with TARVIK_DLLIMPORT). Linked with lld-link against
 * TarvikToolBar.lib alone, without a C runtime; its exit code is the number of
 * exports it holds, after one real call.
 */
#include "TarvikToolBar.h"

typedef void (*AnyFunction)(void);

int __cdecl probe(void) {
    AnyFunction volatile exports[] = {
        (AnyFunction)changeAllToolbar_EXPIE,
        (AnyFunction)installHook_EXPIE,
        (AnyFunction)restoreAllDropdownArrow_EXPIE,
        (AnyFunction)restoreAllHeader_EXPIE,
        (AnyFunction)restoreAllLogo_EXPIE,
        (AnyFunction)restoreAllMenu_EXPIE,
        (AnyFunction)restoreAllToolbar_EXPIE,
        (AnyFunction)setIcons_EXPIE,
        (AnyFunction)setPopupMenuItem,
        (AnyFunction)setShowMenuVKey,
        (AnyFunction)setSmallIcons_EXPIE,
        (AnyFunction)showHideAllDropdownArrow_EXPIE,
        (AnyFunction)showHideAllHeader_EXPIE,
        (AnyFunction)showHideAllLogo_EXPIE,
        (AnyFunction)showHideAllMenu_EXPIE,
        (AnyFunction)uninstallHook_EXPIE,
    };
    int held = 0;
    for (unsigned i = 0; i < sizeof exports / sizeof exports[0]; ++i)
        held += exports[i] != 0;
    /* Kept for old controllers and does nothing: safe to call anywhere. */
    setShowMenuVKey(0);
    return held;
}
