// Bench for the real library DLL: loaded in this process with its hooks
// installed and its icon calls counted, plus helpers for stand-in shell hosts
// (icon tables made inside a host, its lists read there, its own icon ledger).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>
#include "icon_fixtures.h"
#include "icon_ledger.h"
#include "library_under_test.h"
#include "standin/client.h"

namespace icontest {

class DllBench : public ::testing::Test {
  protected:
    // Loads the DLL, counts its icon calls in this process and installs the hooks.
    void SetUp() override;
    // Removes the hooks; hosts stop with their RemoteShell.
    void TearDown() override;

    LibraryUnderTest library;
    HWND notifyWindow = nullptr;
};

// Made with the ledger installed: nothing destroyed twice, nothing destroyed that
// the library did not make, and every icon it made destroyed.
::testing::AssertionResult ledgerBalanced(const tarvik::test::IconLedgerCounts& counts);

// The controller's tables, with icons made inside a host (Wine keeps icon handles
// per process); slots not named stay null.
struct HostIcons {
    std::vector<HICON> normal = std::vector<HICON>(kSlots, nullptr);
    std::vector<HICON> hot = std::vector<HICON>(kSlots, nullptr);
    std::string error;
    HostIcons(standin::RemoteShell& host, int size, std::initializer_list<int> normalSlots,
              std::initializer_list<int> hotSlots, int set);
    // Every slot filled.
    HostIcons(standin::RemoteShell& host, int size, int set);
    std::vector<HICON> all() const;

  private:
    void make(standin::RemoteShell& host, int size, const std::vector<int>& normalSlots,
              const std::vector<int>& hotSlots, int set);
};

// Starts the icon ledger inside the host, on the DLL the hooks will load there.
std::string startHostLedger(standin::RemoteShell& host);
standin::Remote<tarvik::test::IconLedgerCounts> hostLedger(standin::RemoteShell& host);

// The host's view of a toolbar's list.
::testing::AssertionResult hostListHolds(standin::RemoteShell& host, HWND toolbar, bool hot,
                                         const ListContents& expected);

// The window FindWindowA("Shell_TrayWnd") finds, as restoreAllToolbar_EXPIE looks
// for it. Wine's desktop process has a hidden one too; a newer one comes first.
bool isTheTaskbar(HWND taskbar);

// SendMessageTimeout from this thread, as the library's broadcast sends.
bool sendToFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace icontest
