// Ownership and bitness of a window's process, asked only by handlers that are
// about to act: never on a message the library passes over.
#include "windows/own_window.h"

namespace {

// PROCESS_QUERY_LIMITED_INFORMATION: the headers give it only for newer targets.
constexpr DWORD kQueryLimitedInformation = 0x1000;
constexpr bool kLibraryIs32Bit = sizeof(void*) == 4;

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
    if (!IsWow64Process(GetCurrentProcess(), &ours)) return false;
    // A 32-bit library outside WOW64 runs on a 32-bit system: one bitness for all.
    if (kLibraryIs32Bit && !ours) return true;
    HANDLE other = OpenProcess(kQueryLimitedInformation, FALSE, process);
    if (other == nullptr) return false;
    BOOL theirs = FALSE;
    const BOOL known = IsWow64Process(other, &theirs);
    CloseHandle(other);
    return known && theirs == ours;
}
