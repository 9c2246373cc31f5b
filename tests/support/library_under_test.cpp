// Loading the library under test and finding its shared block.
#include "library_under_test.h"

#include <cstring>

std::string besideThisProgram(const char* fileName) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path);
    const size_t slash = result.find_last_of("\\/");
    result.resize(slash == std::string::npos ? 0 : slash + 1);
    return result + fileName;
}

namespace {

IMAGE_NT_HEADERS* headersOf(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    return reinterpret_cast<IMAGE_NT_HEADERS*>(base +
                                               reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

} // namespace

DWORD moduleImageSize(HMODULE module) {
    return module == nullptr ? 0 : headersOf(module)->OptionalHeader.SizeOfImage;
}

void* moduleSection(HMODULE module, const char* name, DWORD* size) {
    if (module == nullptr) return nullptr;
    auto* base = reinterpret_cast<BYTE*>(module);
    IMAGE_NT_HEADERS* nt = headersOf(module);
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        char sectionName[IMAGE_SIZEOF_SHORT_NAME + 1] = {};
        std::memcpy(sectionName, section->Name, IMAGE_SIZEOF_SHORT_NAME);
        if (std::strcmp(sectionName, name) == 0) {
            if (size != nullptr) *size = section->Misc.VirtualSize;
            return base + section->VirtualAddress;
        }
    }
    return nullptr;
}

namespace {

template <typename Fn>
bool resolve(HMODULE module, const char* name, Fn& slot, std::string* error) {
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (slot == nullptr && error != nullptr) *error += std::string("missing export ") + name + "; ";
    return slot != nullptr;
}

} // namespace

SharedState loadedImageOfSharedBlock() {
    SharedState image;
    std::memset(&image, 0, sizeof image);
    image.menuBandVisible = 1;
    return image;
}

std::string privateCopyOfLibrary() {
    const std::string copy = besideThisProgram(
        ("TarvikToolBar-" + std::to_string(GetCurrentProcessId()) + ".dll").c_str());
    const std::string original = besideThisProgram(TARVIK_DLL_NAME);
    return CopyFileA(original.c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

bool LibraryUnderTest::load(std::string* error, StartFrom start, const std::string& path) {
    const std::string file = path.empty() ? besideThisProgram(TARVIK_DLL_NAME) : path;
    module = LoadLibraryA(file.c_str());
    if (module == nullptr) {
        if (error != nullptr) *error = "cannot load " + file;
        return false;
    }
    bool ok = true;
    ok &= resolve(module, "changeAllToolbar_EXPIE", changeAllToolbar, error);
    ok &= resolve(module, "installHook_EXPIE", installHook, error);
    ok &= resolve(module, "restoreAllDropdownArrow_EXPIE", restoreAllDropdownArrow, error);
    ok &= resolve(module, "restoreAllHeader_EXPIE", restoreAllHeader, error);
    ok &= resolve(module, "restoreAllLogo_EXPIE", restoreAllLogo, error);
    ok &= resolve(module, "restoreAllMenu_EXPIE", restoreAllMenu, error);
    ok &= resolve(module, "restoreAllToolbar_EXPIE", restoreAllToolbar, error);
    ok &= resolve(module, "setIcons_EXPIE", setIcons, error);
    ok &= resolve(module, "setPopupMenuItem", setPopupMenuItem, error);
    ok &= resolve(module, "setShowMenuVKey", setShowMenuVKey, error);
    ok &= resolve(module, "setSmallIcons_EXPIE", setSmallIcons, error);
    ok &= resolve(module, "showHideAllDropdownArrow_EXPIE", showHideAllDropdownArrow, error);
    ok &= resolve(module, "showHideAllHeader_EXPIE", showHideAllHeader, error);
    ok &= resolve(module, "showHideAllLogo_EXPIE", showHideAllLogo, error);
    ok &= resolve(module, "showHideAllMenu_EXPIE", showHideAllMenu, error);
    ok &= resolve(module, "uninstallHook_EXPIE", uninstallHook, error);
    DWORD size = 0;
    shared = static_cast<SharedState*>(moduleSection(module, "shared", &size));
    if (shared == nullptr || size < sizeof(SharedState)) {
        if (error != nullptr) *error += "no shared section of the expected size; ";
        shared = nullptr;
        ok = false;
    }
    if (shared != nullptr && start == StartFrom::LoadedImage) *shared = loadedImageOfSharedBlock();
    return ok;
}

void LibraryUnderTest::unload() {
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
    shared = nullptr;
}
