#include "tarvikctl_process.h"

#include "library_under_test.h"
#include "pump.h"
#include "session.h"

namespace tarvik::test {

std::string tarvikctlPath() {
    return besideThisProgram("tarvikctl.exe");
}

std::string tarvikctlExample() {
    return besideThisProgram("examples\\tarvik.ini");
}

HWND findNotifyWindow(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    pumpUntil(
        [&] {
            HWND window = nullptr;
            while ((window = FindWindowExA(HWND_MESSAGE, window, tarvikctl::kNotifyClass,
                                           tarvikctl::kNotifyTitle)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == processId) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

} // namespace tarvik::test
