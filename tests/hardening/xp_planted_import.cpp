// A DLL that Windows XP RTM cannot load: it imports IsWow64Process (Windows XP
// SP2 and later) and is linked with a subsystem version of 6.0. Built without the
// C runtime, so those are its only faults.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL plantedIsWow64(BOOL* wow64) {
    return IsWow64Process(GetCurrentProcess(), wow64);
}
