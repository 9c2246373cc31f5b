// Fixture of the tests that load the real library DLL and install its
// hooks: the notify window standing for the controller, stand-in frames on the
// test's thread, and (on request) a stand-in shell process with frames of its own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "library_under_test.h"
#include "plain_window.h"
#include "recorder.h"
#include "standin/client.h"
#include "standin/standin.h"

namespace menu_test {

class DllMenuTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // installHook_EXPIE(the DLL, the notify window), as the controller calls it.
    void install();
    // A visible stand-in frame on this thread.
    standin::FrameHandles openFrame(const standin::FrameOptions& options = {});
    // The stand-in shell process and a frame on its GUI thread.
    standin::FrameHandles openHostFrame(const standin::FrameOptions& options = {});

    // wParam of every MSG_POPUP_COMMAND the notify window has been posted so far.
    std::vector<WPARAM> forwarded();
    // Pumps until `count` commands have arrived (bounded); then forwarded().
    std::vector<WPARAM> waitForwarded(std::size_t count, DWORD timeoutMs = 5000);
    // Posts the marker entry's command to `worker` through the host and waits for it to
    // be forwarded: whatever was posted to that thread before has been routed by then.
    std::vector<WPARAM> settleHost(HWND worker);

    LibraryUnderTest library_;
    HWND notify_ = nullptr;
    tarvik::test::MessageRecorder recorder_;
    std::unique_ptr<standin::RemoteShell> host_;
    bool installed_ = false;
};

// A configuration with the Tools entries and the marker entry kMarkerId.
constexpr int kMarkerId = 999;
void configureToolsWithMarker(TarvikSetPopupFn setPopup);

} // namespace menu_test
