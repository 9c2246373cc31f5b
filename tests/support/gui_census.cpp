#include "gui_census.h"

#include <psapi.h>

namespace tarvik::test {

namespace {

// Wine numbers its GDI handles by a 16-bit table index and accepts the index alone;
// USER handles are even values from 0x20 to 0xFFEE, again accepted by the low word,
// and a handle of another process is refused without a call to the server. Windows
// answers GetGuiResources, so these probes only run where it answers 0.
constexpr UINT_PTR kLastGdiIndex = 0xFFFF;
constexpr UINT_PTR kFirstUserHandle = 0x20;
constexpr UINT_PTR kLastUserHandle = 0xFFEE;

using CursorFrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

std::uint32_t probeGdi() {
    std::uint32_t live = 0;
    for (UINT_PTR index = 1; index <= kLastGdiIndex; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

// Menus and icons by their handle values; neither call makes or changes anything.
void probeUser(GuiCensus& census) {
    auto frameInfo = reinterpret_cast<CursorFrameInfoFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    for (UINT_PTR value = kFirstUserHandle; value <= kLastUserHandle; value += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(value))) ++census.menus;
        DWORD rate = 0, steps = 0;
        if (frameInfo != nullptr &&
            frameInfo(reinterpret_cast<HCURSOR>(value), 0, 0, &rate, &steps) != nullptr)
            ++census.icons;
    }
}

// Kernel handles are multiples of 4; Wine answers 0 for GetProcessHandleCount.
std::uint32_t probeHandles() {
    constexpr UINT_PTR kLastHandle = 0x4000; // far more than a host or controller holds
    std::uint32_t live = 0;
    for (UINT_PTR value = 4; value <= kLastHandle; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++live;
    }
    return live;
}

BOOL CALLBACK countChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<std::uint32_t*>(counter);
    return TRUE;
}

bool ours(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM counter) {
    if (!ours(window)) return TRUE;
    ++*reinterpret_cast<std::uint32_t*>(counter);
    EnumChildWindows(window, countChild, counter);
    return TRUE;
}

std::uint32_t countWindows() {
    std::uint32_t count = 0;
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        countTopLevel(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

GuiCensus takeGuiCensus() {
    GuiCensus census{};
    census.gdiReported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    census.userReported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (census.gdiReported == 0) census.gdiProbed = probeGdi();
    census.windows = countWindows();
    if (census.userReported == 0) probeUser(census);
    DWORD handles = 0;
    census.handles = GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0
                         ? handles
                         : probeHandles();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    // Wine fills only the short record: its PagefileUsage (the private commit on
    // Windows) is the process's anonymous resident and swapped memory there.
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        census.privateBytes = memory.cb >= sizeof memory && memory.PrivateUsage != 0
                                  ? memory.PrivateUsage
                                  : memory.PagefileUsage;
    return census;
}

} // namespace tarvik::test
