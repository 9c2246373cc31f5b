// A DLL with a "shared" section, so the host tests can check what the stand-in
// shell reads from a section that every process mapping the DLL shares.
#include <windows.h>

extern "C" {

// GCC places it in a section flagged SHARED; it must be initialised to stay there.
__attribute__((section("shared"), shared)) volatile unsigned char probeBlock[64] = {'P', 'R', 'O',
                                                                                    'B', 'E'};

__declspec(dllexport) void __cdecl probeWrite(int offset, unsigned char value) {
    if (offset >= 0 && offset < static_cast<int>(sizeof(probeBlock))) probeBlock[offset] = value;
}
}
