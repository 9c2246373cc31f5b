// The library (TARVIK_DLL_NAME) as loaded by the controller: the module and its 16 exports.
#pragma once

#include <windows.h>
#include <string>

#include "TarvikToolBar.h"

namespace tarvikctl {

// The exports, each null until resolved.
struct Exports {
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
};

class Library : public Exports {
  public:
    Library() = default;
    ~Library() { unload(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loads the DLL at `path` and resolves every export by name. "" or the
    // problem, naming the path or the first missing export.
    std::string load(const std::string& path);
    void unload();

    HMODULE module() const { return module_; }

  private:
    HMODULE module_ = nullptr;
};

// The library's file name, expected beside this program.
constexpr const char* kLibraryFileName = TARVIK_DLL_NAME;

// The folder of this program's executable, with a trailing separator; "" if unknown.
std::string programFolder();

} // namespace tarvikctl
