// PE section lookup on a mapped image: DOS header, NT headers, section table.
#include "pe_sections.h"

#include <cstring>

namespace standin {

bool findSection(HMODULE module, const char* name, SectionView* view) {
    if (module == nullptr || name == nullptr) return false;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    char wanted[IMAGE_SIZEOF_SHORT_NAME] = {};
    for (int i = 0; i < IMAGE_SIZEOF_SHORT_NAME && name[i] != '\0'; ++i)
        wanted[i] = name[i];
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::memcmp(section->Name, wanted, IMAGE_SIZEOF_SHORT_NAME) != 0) continue;
        view->data = base + section->VirtualAddress;
        view->size = section->Misc.VirtualSize;
        return true;
    }
    return false;
}

} // namespace standin
