// The menu band on demand, through real input: the cursor and keys are moved
// with SetCursorPos and SendInput, so the low-level keyboard hook runs here on
// the controller's thread and the mouse hook in the frames' process.
#include "foreground.h"
#include "hook_bench.h"
#include "pump.h"
#include "real_input.h"
#include "sequence_assert.h"

using namespace hooktest;
using standin::kMenuBandId;
using tarvik::test::msg;

namespace {

class MenuInput : public HookBench {
  protected:
    void SetUp() override {
        HookBench::SetUp();
        host = &startHost();
        explorer = hostFrame(*host, frameOptions(FrameClass::Explorer));
        ASSERT_NE(explorer.frame, nullptr);
        otherWindow();
        install();
        // The Explorer column hides its band: Explorer frames toggle, browsers do not.
        library.showHideAllMenu(1, 0);
        ASSERT_TRUE(menuHidden());
    }

    bool menuHidden() { return hostBandHidden(*host, explorer.rebar, kMenuBandId); }

    static RecorderConfig keysAndToggles() {
        RecorderConfig config = privateMessagesOnly();
        for (UINT message : {WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYDOWN, WM_KEYUP})
            config.recordOnly(message);
        return config;
    }

    // Waits until `window` of the host has taken a key release of `key`.
    bool released(HWND window, WPARAM key) {
        return waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
            return countOf(r, window, WM_SYSKEYUP, key) + countOf(r, window, WM_KEYUP, key) > 0;
        });
    }

    // A middle click on `window` of the host, seen through to its release.
    bool middleClickOn(HWND window) {
        RecorderConfig config = privateMessagesOnly();
        config.recordOnly(WM_MBUTTONUP);
        if (!record(*host, {window, explorer.frame}, config) || !putCursorOver(window) ||
            !middleClick())
            return false;
        return waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
            return countOf(r, window, WM_MBUTTONUP) == 1;
        });
    }

    RemoteShell* host = nullptr;
    FrameHandles explorer{};
};

// One tap only: the frame's own default handling then enters its system-menu loop.
TEST_F(MenuInput, AnAltTapTogglesTheForegroundFramesBandOnceAtTheRelease) {
    ASSERT_TRUE(host->foreground(explorer.frame));
    ASSERT_TRUE(record(*host, {explorer.frame}, keysAndToggles()));
    ASSERT_TRUE(keyDown(VK_MENU));
    ASSERT_TRUE(waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, explorer.frame, WM_SYSKEYDOWN) == 1;
    }));
    EXPECT_TRUE(menuHidden()) << "nothing while Alt is down";
    ASSERT_TRUE(keyUp(VK_MENU));
    ASSERT_TRUE(released(explorer.frame, VK_MENU));
    EXPECT_FALSE(menuHidden());

    // The toggle is sent once, before the release is delivered (Wine delivers that
    // release as WM_SYSKEYUP in some runs and as WM_KEYUP in others).
    const std::vector<MessageRecord> seen = records(*host);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        {seen[0], seen[1]}, {msg(WM_SYSKEYDOWN).on(explorer.frame).wparam(VK_MENU),
                             privateMessage(explorer.frame, MSG_TOGGLE_MENUBAR, 0, 0)}));
    EXPECT_TRUE(seen[2].message == WM_SYSKEYUP || seen[2].message == WM_KEYUP);
}

TEST_F(MenuInput, AltWithAnotherKeyDoesNotToggle) {
    ASSERT_TRUE(host->foreground(explorer.frame));
    ASSERT_TRUE(record(*host, {explorer.frame}, keysAndToggles()));
    ASSERT_TRUE(keyDown(VK_MENU));
    ASSERT_TRUE(keyDown('F'));
    ASSERT_TRUE(keyUp('F'));
    ASSERT_TRUE(keyUp(VK_MENU));
    ASSERT_TRUE(released(explorer.frame, VK_MENU));
    EXPECT_EQ(countOf(records(*host), explorer.frame, MSG_TOGGLE_MENUBAR), 0);
    EXPECT_TRUE(menuHidden());
}

TEST_F(MenuInput, AnAltTapInAnotherProgramDoesNothing) {
    ASSERT_TRUE(tarvik::test::bringToForeground(otherWindow()));
    RecorderConfig config;
    config.recordOnly(WM_SYSKEYUP);
    tarvik::test::MessageRecorder here(config);
    ASSERT_TRUE(here.attach(otherWindow()));
    ASSERT_TRUE(record(*host, {explorer.frame}, keysAndToggles()));
    ASSERT_TRUE(keyDown(VK_MENU));
    ASSERT_TRUE(keyUp(VK_MENU));
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return here.count() == 1; }, kHostWaitMs));
    EXPECT_TRUE(records(*host).empty());
    EXPECT_TRUE(menuHidden());
}

TEST_F(MenuInput, AMiddleClickOnABarOfAToggleFrameTogglesItEvenWithCustomisationOff) {
    library.restoreAllToolbar();
    ASSERT_EQ(library.shared->inactive, 1);
    ASSERT_TRUE(menuHidden());
    ASSERT_TRUE(middleClickOn(explorer.mainToolbar));
    EXPECT_FALSE(menuHidden());
    // The hook calls the toggle itself: no private message.
    EXPECT_EQ(countOf(records(*host), explorer.frame, MSG_TOGGLE_MENUBAR), 0);
    ASSERT_TRUE(middleClickOn(explorer.linksToolbar));
    EXPECT_TRUE(menuHidden());
}

TEST_F(MenuInput, AMiddleClickElsewhereDoesNothing) {
    standin::FrameOptions below = frameOptions(FrameClass::Browser);
    below.y = 580; // clear of the Explorer frame
    below.height = 400;
    const FrameHandles browser = hostFrame(*host, below);
    // A browser frame whose kind keeps its band: its toolbar is no toggle target.
    ASSERT_TRUE(host->send(browser.rebar, RB_SHOWBAND,
                           *host->send(browser.rebar, RB_IDTOINDEX, kMenuBandId), FALSE));
    ASSERT_TRUE(middleClickOn(browser.mainToolbar));
    EXPECT_TRUE(hostBandHidden(*host, browser.rebar, kMenuBandId));
    EXPECT_TRUE(menuHidden());
    // A frame's window that is no bar.
    ASSERT_TRUE(middleClickOn(explorer.content));
    EXPECT_TRUE(menuHidden());

    // A toolbar of this process outside every frame.
    const HWND loose =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_NORESIZE, 10, 10, 200,
                        40, otherWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(loose, nullptr);
    RecorderConfig config;
    config.recordOnly(WM_MBUTTONUP);
    tarvik::test::MessageRecorder here(config);
    ASSERT_TRUE(here.attach(loose));
    tarvik::test::pumpPending();
    ASSERT_TRUE(putCursorOver(loose));
    ASSERT_TRUE(middleClick());
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return here.count() == 1; }, kHostWaitMs));
    EXPECT_TRUE(menuHidden());
}

TEST_F(MenuInput, AShownBandHidesAtTheFirstTickAfterTheFrameLeavesTheForeground) {
    ASSERT_TRUE(host->foreground(explorer.frame));
    ASSERT_TRUE(middleClickOn(explorer.mainToolbar));
    ASSERT_FALSE(menuHidden());
    RecorderConfig config;
    config.recordOnly(WM_TIMER);
    ASSERT_TRUE(record(*host, {explorer.frame}, config));
    const auto ticks = [&](int n) {
        return [&, n](const std::vector<MessageRecord>& r) {
            return countOf(r, explorer.frame, WM_TIMER, TIMER_MENU_AUTOHIDE) >= n;
        };
    };
    ASSERT_TRUE(waitForRecords(*host, ticks(1), 2 * kMenuAutohideMs + 500));
    EXPECT_EQ(GetForegroundWindow(), explorer.frame);
    EXPECT_FALSE(menuHidden()) << "kept while the frame is in front";

    ASSERT_TRUE(tarvik::test::bringToForeground(otherWindow()));
    ASSERT_TRUE(waitForRecords(*host, ticks(2), 2 * kMenuAutohideMs + 500));
    EXPECT_TRUE(menuHidden());
}

} // namespace
