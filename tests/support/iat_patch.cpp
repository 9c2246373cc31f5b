// Import address table patching: walks the module's import descriptors, matches
// the name table entry and rewrites the parallel address entry.
#include "iat_patch.h"

#include <cstring>

namespace tarvik::test {

namespace {

template <class T>
T* at(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

bool writeEntry(void** entry, void* value) {
    DWORD previous = 0;
    if (!VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &previous)) return false;
    // One aligned word: a thread calling through it sees the old or the new address.
    InterlockedExchangePointer(entry, value);
    VirtualProtect(entry, sizeof *entry, previous, &previous);
    FlushInstructionCache(GetCurrentProcess(), entry, sizeof *entry);
    return true;
}

} // namespace

void** importSlot(HMODULE module, const char* dll, const char* function) {
    if (module == nullptr) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = at<const IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* descriptor = at<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(at<const char>(module, descriptor->Name), dll) != 0) continue;
        // Without a name table the bound addresses cannot be told apart.
        if (descriptor->OriginalFirstThunk == 0) return nullptr;
        auto* names = at<IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk);
        auto* addresses = at<IMAGE_THUNK_DATA>(module, descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                at<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&addresses->u1.Function);
        }
    }
    return nullptr;
}

bool patchImport(HMODULE module, const char* dll, const char* function, void* replacement,
                 void** original) {
    void** slot = importSlot(module, dll, function);
    if (slot == nullptr) return false;
    if (original != nullptr) *original = *slot;
    return writeEntry(slot, replacement);
}

} // namespace tarvik::test
