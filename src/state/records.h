// Platform records as the library fills them: the sizes of the 32-bit build
// (XP-era layouts, which every later Windows and Wine accept). The code always
// uses sizeof, so the 64-bit build gets its own sizes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#ifndef _WIN64
static_assert(sizeof(REBARBANDINFOA) == 80, "REBARBANDINFOA must be the 80-byte layout");
static_assert(sizeof(TBBUTTONINFOA) == 32, "TBBUTTONINFOA must be 32 bytes");
static_assert(sizeof(TBMETRICS) == 32, "TBMETRICS must be 32 bytes");
static_assert(sizeof(MENUITEMINFOA) == 48, "MENUITEMINFOA must be 48 bytes");
#endif

// Class-name buffers: the classifier and walks read 32 characters, the hooks 128.
constexpr int kClassNameChars = 32;
constexpr int kHookClassNameChars = 128;

// Band text buffer of the header and menu walks.
constexpr int kBandTextBytes = 4096;
