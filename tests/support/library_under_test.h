// The real library DLL (TARVIK_DLL_NAME), loaded from beside the test program: its exports
// and its shared block as mapped into this process.
#pragma once

#include <windows.h>
#include <string>

#include "TarvikToolBar.h"
#include "state/shared_state.h"

// The block as the DLL image holds it: zero but for menuBandVisible.
SharedState loadedImageOfSharedBlock();

// How the shared block is found at load. Under Wine the desktop process keeps the DLL
// mapped once hooks have loaded it there, so the block outlives a test program; tests
// start from the loaded image unless they examine the block as found.
enum class StartFrom { LoadedImage, AsFound };

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

    // Loads the DLL (by default the one beside this program) and resolves every export;
    // the error says what was missing.
    bool load(std::string* error = nullptr, StartFrom start = StartFrom::LoadedImage,
              const std::string& path = std::string());
    void unload();
};

// A copy of the library DLL under a name of its own, beside this program: a new
// image, so a new shared block that no other process maps. Empty on failure.
std::string privateCopyOfLibrary();

// Full path of a file beside the running test program.
std::string besideThisProgram(const char* fileName);

// Size of a loaded module's image (its address range from the module handle on).
DWORD moduleImageSize(HMODULE module);

// Address and size of a loaded module's section with the given name, or null.
void* moduleSection(HMODULE module, const char* name, DWORD* size = nullptr);
