// The DLL bench.
#include "dll_bench.h"

#include <cstring>
#include "standin/ledger_protocol.h"

namespace icontest {

void DllBench::SetUp() {
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    ASSERT_TRUE(tarvik::test::installIconLedger(library.module, &error)) << error;
    // Wine's desktop process (explorer.exe) keeps the library mapped after an earlier
    // case removed its hooks, so the block can outlive that case's process: each case
    // starts from the block's loaded image, as on a fresh desktop.
    *library.shared = SharedState{};
    library.shared->menuBandVisible = 1;
    notifyWindow = CreateWindowExA(0, "STATIC", "icon tests", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(library.installHook(library.module, notifyWindow), 0);
    ASSERT_NE(library.shared->hookCallWndProc, nullptr);
}

void DllBench::TearDown() {
    if (library.uninstallHook != nullptr) library.uninstallHook();
    if (notifyWindow != nullptr) DestroyWindow(notifyWindow);
}

::testing::AssertionResult ledgerBalanced(const tarvik::test::IconLedgerCounts& c) {
    if (c.destroyedTwice == 0 && c.destroyedOther == 0 && c.live == 0 && c.destroyed == c.created)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "created " << c.created << ", destroyed " << c.destroyed << ", live " << c.live
           << ", destroyed twice " << c.destroyedTwice << ", destroyed but not made here "
           << c.destroyedOther;
}

HostIcons::HostIcons(standin::RemoteShell& host, int size, std::initializer_list<int> normalSlots,
                     std::initializer_list<int> hotSlots, int set) {
    make(host, size, normalSlots, hotSlots, set);
}

HostIcons::HostIcons(standin::RemoteShell& host, int size, int set) {
    std::vector<int> every;
    for (int slot = 0; slot < kSlots; ++slot)
        every.push_back(slot);
    make(host, size, every, every, set);
}

void HostIcons::make(standin::RemoteShell& host, int size, const std::vector<int>& normalSlots,
                     const std::vector<int>& hotSlots, int set) {
    for (bool isHot : {false, true}) {
        const std::vector<int>& slots = isHot ? hotSlots : normalSlots;
        std::vector<COLORREF> colours;
        for (int slot : slots)
            colours.push_back(controllerColor(slot, isHot, set));
        if (colours.empty()) continue;
        auto made = host.createIcons(size, colours);
        if (!made) {
            error = made.error;
            return;
        }
        for (size_t i = 0; i < slots.size(); ++i)
            (isHot ? hot : normal)[slots[i]] = made.value[i];
    }
}

std::vector<HICON> HostIcons::all() const {
    std::vector<HICON> icons;
    for (const auto* table : {&normal, &hot})
        for (HICON icon : *table)
            if (icon != nullptr) icons.push_back(icon);
    return icons;
}

std::string startHostLedger(standin::RemoteShell& host) {
    standin::wire::LedgerBody body{};
    const std::string path = besideThisProgram(TARVIK_DLL_NAME);
    std::strncpy(body.path, path.c_str(), sizeof(body.path) - 1);
    auto reply =
        host.call<standin::wire::LedgerReply>(standin::wire::Request::InstallIconLedger, body);
    return reply.error;
}

standin::Remote<tarvik::test::IconLedgerCounts> hostLedger(standin::RemoteShell& host) {
    return host.call<tarvik::test::IconLedgerCounts>(standin::wire::Request::IconLedgerCounts);
}

::testing::AssertionResult hostListHolds(standin::RemoteShell& host, HWND toolbar, bool hot,
                                         const ListContents& expected) {
    auto info = host.imageList(toolbar, hot);
    if (!info) return ::testing::AssertionFailure() << "host: " << info.error;
    return listHolds(*info, expected);
}

bool isTheTaskbar(HWND taskbar) {
    return taskbar != nullptr && FindWindowA("Shell_TrayWnd", nullptr) == taskbar;
}

bool sendToFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               10000, &answer) != 0;
}

} // namespace icontest
