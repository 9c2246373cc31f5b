// Redirects one import of a loaded module: the entry in its import address table
// is overwritten, so only that module's calls go to the replacement.
#pragma once

#include <windows.h>

namespace tarvik::test {

// The address-table entry of `module`'s import of `function` from `dll` (compared
// without case), or null when the module does not import it by name.
void** importSlot(HMODULE module, const char* dll, const char* function);

// Points `module`'s import of `function` from `dll` (compared without case) at
// `replacement`; the address it held before goes to *original. False when the
// module does not import that function by name.
bool patchImport(HMODULE module, const char* dll, const char* function, void* replacement,
                 void** original);

} // namespace tarvik::test
