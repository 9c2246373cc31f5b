// Finding a named section of a module loaded in this process, through the PE
// headers of its mapped image.
#pragma once

#include <windows.h>
#include <cstdint>

namespace standin {

struct SectionView {
    const unsigned char* data; // start of the section as mapped
    std::uint32_t size;        // its virtual size
};

// False when `module` has no section called `name` (at most 8 characters).
bool findSection(HMODULE module, const char* name, SectionView* view);

} // namespace standin
