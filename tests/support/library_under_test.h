// The real TarvikToolBar.dll, loaded from beside the test program: its exports
// and its shared block as mapped into this process.
#pragma once

#include <windows.h>
#include <string>

#include "TarvikToolBar.h"
#include "state/shared_state.h"

struct LibraryUnderTest {
    HMODULE module = nullptr;
    SharedState* shared = nullptr; // the DLL's "shared" section in this process

    TarvikBroadcastFn changeAllToolbar = nullptr;
    TarvikInstallFn installHook = nullptr;
    TarvikBroadcastFn restoreAllDropdownArrow = nullptr;
    TarvikBroadcastFn restoreAllHeader = nullptr;
    TarvikBroadcastFn restoreAllLogo = nullptr;
    TarvikBroadcastFn restoreAllMenu = nullptr;
    TarvikBroadcastFn restoreAllToolbar = nullptr;
    TarvikSetIconsFn setIcons = nullptr;
    TarvikSetPopupFn setPopupMenuItem = nullptr;
    TarvikSetVKeyFn setShowMenuVKey = nullptr;
    TarvikSetIconsFn setSmallIcons = nullptr;
    TarvikShowHideFn showHideAllDropdownArrow = nullptr;
    TarvikShowHideFn showHideAllHeader = nullptr;
    TarvikShowHideFn showHideAllLogo = nullptr;
    TarvikShowHideFn showHideAllMenu = nullptr;
    TarvikBroadcastFn uninstallHook = nullptr;

    // Loads the DLL and resolves every export; the error says what was missing.
    bool load(std::string* error = nullptr);
    void unload();
};

// Full path of a file beside the running test program.
std::string besideThisProgram(const char* fileName);

// Address and size of a loaded module's section with the given name, or null.
void* moduleSection(HMODULE module, const char* name, DWORD* size = nullptr);
