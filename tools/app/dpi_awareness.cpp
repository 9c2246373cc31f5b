// The manifest carries only what Windows XP reads (the Common Controls 6 dependency):
// DPI awareness is declared here, from Vista on, so XP never meets the newer manifest
// elements. Each function is newer than XP and looked up where it lives; Microsoft's
// "Setting the default DPI awareness for a process" allows the calls before any window.
#include "dpi_awareness.h"
#include "windows_version.h"

#include <windows.h>

namespace tarvik_app {

namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (windef.h) and PROCESS_PER_MONITOR_DPI_AWARE
// (shellscalingapi.h), which the XP headers leave out.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;

template <typename Function>
Function lookUp(const char* module, const char* name) {
    HMODULE loaded = LoadLibraryA(module);
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(loaded != nullptr ? GetProcAddress(loaded, name) : nullptr));
}

} // namespace

void declareDpiAwareness() {
    if (!tarvikctl::windowsVistaOrLater()) return;
    // SetProcessDpiAwarenessContext (user32, Windows 10 1703).
    if (auto context = lookUp<BOOL(WINAPI*)(HANDLE)>("user32.dll", "SetProcessDpiAwarenessContext"))
        if (context(kPerMonitorAwareV2)) return;
    // SetProcessDpiAwareness (shcore, Windows 8.1).
    if (auto awareness = lookUp<HRESULT(WINAPI*)(int)>("shcore.dll", "SetProcessDpiAwareness"))
        if (SUCCEEDED(awareness(kProcessPerMonitorDpiAware))) return;
    // SetProcessDPIAware (user32, Vista).
    if (auto aware = lookUp<BOOL(WINAPI*)()>("user32.dll", "SetProcessDPIAware")) aware();
}

} // namespace tarvik_app
