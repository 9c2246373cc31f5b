// BareHook.dll: the cheapest possible global hooks, the yardstick for the hook
// library's own cost. Its WH_CALLWNDPROC and WH_CALLWNDPROCRET procedures only
// call CallNextHookEx.
#include <windows.h>

namespace {

HHOOK callWndProc = nullptr;
HHOOK callWndProcRet = nullptr;

LRESULT CALLBACK bareCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(callWndProc, code, wParam, lParam);
}

LRESULT CALLBACK bareCallWndRetProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(callWndProcRet, code, wParam, lParam);
}

} // namespace

// Both hooks for all threads of the desktop, as the hook library installs them.
extern "C" __declspec(dllexport) int installBareHooks(HINSTANCE module) {
    callWndProc = SetWindowsHookExA(WH_CALLWNDPROC, bareCallWndProc, module, 0);
    callWndProcRet = SetWindowsHookExA(WH_CALLWNDPROCRET, bareCallWndRetProc, module, 0);
    return callWndProc != nullptr && callWndProcRet != nullptr;
}

extern "C" __declspec(dllexport) void removeBareHooks() {
    if (callWndProc != nullptr) UnhookWindowsHookEx(callWndProc);
    if (callWndProcRet != nullptr) UnhookWindowsHookEx(callWndProcRet);
    callWndProc = callWndProcRet = nullptr;
}
