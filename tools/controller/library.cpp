// Loading the library and resolving its exports by name.
#include "library.h"
#include "text.h"

#include <vector>

namespace tarvikctl {

namespace {

template <typename Fn>
bool resolve(HMODULE module, const char* name, Fn& slot, std::string& missing) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (slot == nullptr && missing.empty()) missing = name;
    return slot != nullptr;
}

} // namespace

std::string Library::load(const std::string& path) {
    unload();
    // No "cannot find" dialog box: the caller reports the failure.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (module_ == nullptr) return cat(path, ": cannot load the library (error ", num(code), ")");
    std::string missing;
    resolve(module_, "changeAllToolbar_EXPIE", changeAllToolbar, missing);
    resolve(module_, "installHook_EXPIE", installHook, missing);
    resolve(module_, "restoreAllDropdownArrow_EXPIE", restoreAllDropdownArrow, missing);
    resolve(module_, "restoreAllHeader_EXPIE", restoreAllHeader, missing);
    resolve(module_, "restoreAllLogo_EXPIE", restoreAllLogo, missing);
    resolve(module_, "restoreAllMenu_EXPIE", restoreAllMenu, missing);
    resolve(module_, "restoreAllToolbar_EXPIE", restoreAllToolbar, missing);
    resolve(module_, "setIcons_EXPIE", setIcons, missing);
    resolve(module_, "setPopupMenuItem", setPopupMenuItem, missing);
    resolve(module_, "setShowMenuVKey", setShowMenuVKey, missing);
    resolve(module_, "setSmallIcons_EXPIE", setSmallIcons, missing);
    resolve(module_, "showHideAllDropdownArrow_EXPIE", showHideAllDropdownArrow, missing);
    resolve(module_, "showHideAllHeader_EXPIE", showHideAllHeader, missing);
    resolve(module_, "showHideAllLogo_EXPIE", showHideAllLogo, missing);
    resolve(module_, "showHideAllMenu_EXPIE", showHideAllMenu, missing);
    resolve(module_, "uninstallHook_EXPIE", uninstallHook, missing);
    if (missing.empty()) return "";
    unload();
    return cat(path, ": the library has no export ", missing);
}

void Library::unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
    static_cast<Exports&>(*this) = Exports{};
}

std::string programFolder() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) {
            std::string result(path.data(), length);
            const std::size_t slash = result.find_last_of("\\/");
            return slash == std::string::npos ? "" : result.substr(0, slash + 1);
        }
        if (path.size() >= 32768) return "";
        path.resize(path.size() * 2);
    }
}

} // namespace tarvikctl
