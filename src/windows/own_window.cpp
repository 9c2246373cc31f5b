// Ownership and bitness of a window's process, asked only by handlers that are
// about to act: never on a message the library passes over.
#include "windows/own_window.h"

namespace {

// PROCESS_QUERY_LIMITED_INFORMATION: the headers give it only for newer targets.
constexpr DWORD kQueryLimitedInformation = 0x1000;
constexpr bool kLibraryIs32Bit = sizeof(void*) == 4;

using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);

// IsWow64Process is looked up, not imported: Windows XP before SP2 lacks it, and an
// import of it would keep the DLL from loading there. Without it there is no WOW64.
bool isWow64(HANDLE process, BOOL* wow64) {
    *wow64 = FALSE;
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (found == nullptr) return true;
    auto call = reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void*>(found));
    return call(process, wow64) != FALSE;
}

// Windows XP and Server 2003 refuse the limited right: ask again with the full one.
HANDLE openForQuery(DWORD process) {
    HANDLE handle = OpenProcess(kQueryLimitedInformation, FALSE, process);
    if (handle == nullptr) handle = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process);
    return handle;
}

} // namespace

bool isOwnWindow(HWND window) {
    DWORD process = 0;
    return GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

bool hasOwnBitness(HWND window) {
    DWORD process = 0;
    if (GetWindowThreadProcessId(window, &process) == 0) return false;
    if (process == GetCurrentProcessId()) return true;
    BOOL ours = FALSE;
    if (!isWow64(GetCurrentProcess(), &ours)) return false;
    // A 32-bit library outside WOW64 runs on a 32-bit system: one bitness for all.
    if (kLibraryIs32Bit && !ours) return true;
    HANDLE other = openForQuery(process);
    if (other == nullptr) return false;
    BOOL theirs = FALSE;
    const bool known = isWow64(other, &theirs);
    CloseHandle(other);
    return known && theirs == ours;
}
