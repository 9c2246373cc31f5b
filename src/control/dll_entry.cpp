// The DLL's entry point, in place of the C runtime's. The library is mapped into
// every GUI process that receives a hooked event, so loading it must cost nothing
// there: it keeps no state that needs construction, starts no thread and has
// nothing to undo on unload. The one call stops the loader's per-thread calls.
#include <windows.h>

extern "C" BOOL WINAPI tarvikDllEntry(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}
