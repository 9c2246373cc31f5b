// Shared pieces of the hardening suites: the real DLL loaded with its block reset,
// memory that faults right after a buffer, and timing.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "library_under_test.h"
#include "pump.h"
#include "standin/client.h"
#include "standin/standin.h"

namespace hardening {

// Loads the DLL from its fresh image; hooks are installed by the cases that want them.
class DllCase : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void install();

    LibraryUnderTest library;
    HWND notifyWindow = nullptr;
};

// Committed pages followed by one PAGE_NOACCESS page: a buffer placed by tail()
// ends exactly where the guard begins, so one byte read past it faults.
class GuardedPages {
  public:
    explicit GuardedPages(std::size_t usableBytes = 4096);
    ~GuardedPages();
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;
    bool ok() const { return base_ != nullptr; }
    // `count` objects of T whose last byte is the last byte before the guard page.
    template <class T>
    T* tail(std::size_t count) {
        return reinterpret_cast<T*>(guard_ - count * sizeof(T));
    }

  private:
    unsigned char* base_ = nullptr;
    unsigned char* guard_ = nullptr;
};

// Milliseconds on a monotonic clock.
double nowMs();

// A frame of this process answers a message within the time (its thread pumps).
bool answers(HWND window, UINT timeoutMs = 2000);

// Options of a visible Explorer or browser frame at a place of its own.
standin::FrameOptions frameOptions(standin::FrameClass frameClass, int index, bool large = true);

// What the restyling changes and a restore must give back, read from a host frame:
// band visibility and titles, drop-down arrows, and both image lists.
struct Look {
    std::vector<UINT> bandStyles;
    std::vector<BYTE> arrows;
    std::vector<standin::ImageListInfo> lists;
};
Look lookOf(standin::RemoteShell& host, const standin::FrameHandles& frame);
void expectSameLook(const Look& native, const Look& now, const char* frame);

// A controller's whole session over a host's frames: install, icons made in the host,
// every feature applied to both kinds (seen taking effect on `probe`), every restore
// and uninstall.
::testing::AssertionResult fullCycle(LibraryUnderTest& library, HWND notify,
                                     standin::RemoteShell& host,
                                     const standin::FrameHandles& probe);

} // namespace hardening
