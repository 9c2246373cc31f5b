// tarvikctl as the process tests run it: where it is, its example settings, and
// its notify window once it runs.
#pragma once

#include <windows.h>
#include <string>

namespace tarvik::test {

std::string tarvikctlPath();
std::string tarvikctlExample();

// The notify window that the tarvikctl process `processId` made, or null once
// `timeoutMs` has passed (pumping meanwhile).
HWND findNotifyWindow(DWORD processId, DWORD timeoutMs);

} // namespace tarvik::test
