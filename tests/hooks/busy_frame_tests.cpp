// An Alt tap while the foreground frame's thread is busy with work of its own:
// the low-level keyboard hook runs on this thread before any program gets the
// key, so the release must pass at once; the frame toggles its band when free.
#include <chrono>

#include "hook_bench.h"
#include "real_input.h"
#include "standin/relay_protocol.h"

using namespace hooktest;
using standin::kMenuBandId;

namespace {

constexpr DWORD kBusyMs = 2500;
// How long the hook may hold a keystroke.
constexpr double kHookBudgetMs = 50;

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

class BusyFrame : public HookBench {};

TEST_F(BusyFrame, AnAltTapPassesAtOnceAndTheFrameTogglesOnceWhenFree) {
    RemoteShell& host = startHost();
    const FrameHandles explorer = hostFrame(host, frameOptions(FrameClass::Explorer));
    ASSERT_NE(explorer.frame, nullptr);
    install();
    library.showHideAllMenu(1, 0);
    ASSERT_TRUE(hostBandHidden(host, explorer.rebar, kMenuBandId));
    ASSERT_TRUE(host.foreground(explorer.frame));

    RecorderConfig config = privateMessagesOnly();
    for (UINT message : {WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYUP})
        config.recordOnly(message);
    ASSERT_TRUE(record(host, {explorer.frame}, config));
    ASSERT_TRUE(keyDown(VK_MENU));
    ASSERT_TRUE(waitForRecords(host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, explorer.frame, WM_SYSKEYDOWN) == 1;
    }));

    const standin::wire::HoldBody hold{explorer.frame, kBusyMs, 0, {}};
    auto held = host.call<standin::Done>(standin::wire::Request::SendThenHold, hold);
    ASSERT_TRUE(held) << held.error;
    // Under Wine SendInput returns once the low-level hooks have run.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(keyUp(VK_MENU));
    EXPECT_LT(msSince(start), kHookBudgetMs) << "the Alt release was held";

    ASSERT_TRUE(waitForRecords(
        host,
        [&](const std::vector<MessageRecord>& r) {
            return countOf(r, explorer.frame, WM_SYSKEYUP, VK_MENU) +
                       countOf(r, explorer.frame, WM_KEYUP, VK_MENU) >
                   0;
        },
        kBusyMs + kHostWaitMs));
    EXPECT_EQ(countOf(records(host), explorer.frame, MSG_TOGGLE_MENUBAR), 1);
    EXPECT_FALSE(hostBandHidden(host, explorer.rebar, kMenuBandId));
}

} // namespace
