// Fixture of the unit tests that call the context-menu handlers directly:
// stand-in frames on the test's thread, a notify window standing for the
// controller, and this process's copy of the shared block.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "menu/popup_menu.h"
#include "plain_window.h"
#include "recorder.h"
#include "standin/standin.h"
#include "state/shared_state.h"

namespace menu_test {

class CoreMenuTest : public ::testing::Test {
  public:
    // What the call-window hook hands over for WM_INITMENUPOPUP sent to `owner`.
    static void initMenuPopup(HWND owner, HMENU popup);
    // What the message hook hands over for WM_COMMAND posted to `owner`.
    static void command(HWND owner, WPARAM wParam);

  protected:
    void SetUp() override;
    void TearDown() override;

    // A visible stand-in frame on this thread.
    standin::FrameHandles openFrame(const standin::FrameOptions& options = {});
    // wParam of each MSG_POPUP_COMMAND the notify window has been posted so far.
    std::vector<WPARAM> forwarded();

    HWND notify_ = nullptr;
    tarvik::test::MessageRecorder recorder_;
};

} // namespace menu_test
