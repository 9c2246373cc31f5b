// Microsoft, SetWindowsHookEx remarks: a 64-bit process's hook for a 32-bit
// process (or the reverse) "is executed in the context of the installing thread":
// the system calls it there and the thread that took the message waits, so "the
// hooking application must continue to pump messages or it might block the normal
// functioning of the 64-bit processes". Modelled for the call-window hook and the
// frames' own windows: a sent message to the controller's hooks' thread before the
// frame's procedure runs, answered only when that thread takes sent messages.
#include "other_bitness_callbacks.h"

namespace standin {

namespace {

// The controllers' notify windows, message-only, made on the thread that then
// installs the hooks (tarvikctl, tarvik.exe, and the 32-bit companion).
constexpr const char* kControllerClasses[] = {"TarvikCtlNotify", "TarvikCtlCompanion"};
constexpr const char* kFrameClasses[] = {"CabinetWClass", "ExploreWClass", "IEFrame"};
// Windows documents no limit for these calls; this one only keeps a stand-in from
// waiting for ever on a controller that never takes messages again.
constexpr UINT kCallLimitMs = 120000;

thread_local HHOOK hook = nullptr;
UINT callMessage = 0;
thread_local HWND known = nullptr; // the last controller window found, checked at each use
thread_local DWORD knownThread = 0;

bool is64Bit(HANDLE process) {
#ifdef _WIN64
    if (process == GetCurrentProcess()) return true;
#endif
    BOOL wow64 = FALSE;
    if (!IsWow64Process(process, &wow64)) return false;
    if (wow64) return false;
    // Not under WOW64: native, which is 64-bit on a 64-bit system.
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    return system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
}

bool otherBitness(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return false;
    const bool other = is64Bit(process) != is64Bit(GetCurrentProcess());
    CloseHandle(process);
    return other;
}

// A controller's notify window in a process of the other bitness, or null.
HWND findController() {
    if (known != nullptr && IsWindow(known) &&
        GetWindowThreadProcessId(known, nullptr) == knownThread)
        return known;
    known = nullptr;
    for (const char* name : kControllerClasses)
        for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, name, nullptr); window != nullptr;
             window = FindWindowExA(HWND_MESSAGE, window, name, nullptr)) {
            DWORD processId = 0;
            const DWORD thread = GetWindowThreadProcessId(window, &processId);
            if (thread == 0 || processId == GetCurrentProcessId() || !otherBitness(processId))
                continue;
            known = window;
            knownThread = thread;
            return window;
        }
    return nullptr;
}

bool isFrame(HWND window) {
    if (GetParent(window) != nullptr) return false;
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    for (const char* frame : kFrameClasses)
        if (lstrcmpA(name, frame) == 0) return true;
    return false;
}

LRESULT CALLBACK callWndProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && sent != nullptr && sent->message != callMessage && isFrame(sent->hwnd))
        if (HWND controller = findController()) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(controller, callMessage, sent->message,
                                reinterpret_cast<LPARAM>(sent->hwnd), SMTO_NORMAL, kCallLimitMs,
                                &ignored);
        }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

bool attachOtherBitnessCallbacks() {
    if (callMessage == 0) callMessage = RegisterWindowMessageA("TarvikStandin.OtherBitnessHook");
    if (hook == nullptr)
        hook = SetWindowsHookExA(WH_CALLWNDPROC, callWndProc, nullptr, GetCurrentThreadId());
    return hook != nullptr;
}

} // namespace standin
