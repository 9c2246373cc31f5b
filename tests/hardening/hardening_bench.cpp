// The hardening bench.
#include "hardening_bench.h"

#include <chrono>
#include <cstdio>

namespace hardening {

void DllCase::SetUp() {
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    // Wine's desktop process can keep the block of an earlier case alive: start fresh.
    *library.shared = loadedImageOfSharedBlock();
    notifyWindow = CreateWindowExA(0, "STATIC", "hardening", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(notifyWindow, nullptr);
}

void DllCase::install() {
    ASSERT_EQ(library.installHook(library.module, notifyWindow), 0);
    ASSERT_NE(library.shared->hookCallWndProc, nullptr);
}

void DllCase::TearDown() {
    if (library.uninstallHook != nullptr) library.uninstallHook();
    if (notifyWindow != nullptr) DestroyWindow(notifyWindow);
}

GuardedPages::GuardedPages(std::size_t usableBytes) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize;
    const std::size_t usable = (usableBytes + page - 1) / page * page;
    base_ = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, usable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr) return;
    guard_ = base_ + usable;
    DWORD old = 0;
    if (!VirtualProtect(guard_, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        base_ = nullptr;
    }
}

GuardedPages::~GuardedPages() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
}

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool answers(HWND window, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

standin::FrameOptions frameOptions(standin::FrameClass frameClass, int index, bool large) {
    standin::FrameOptions options;
    options.frameClass = frameClass;
    options.large = large;
    options.x = 20 + (index % 10) * 30;
    options.y = 20 + (index % 7) * 30;
    options.width = 640;
    options.height = 420;
    return options;
}

} // namespace hardening
