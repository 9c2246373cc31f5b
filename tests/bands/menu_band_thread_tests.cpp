// Two frames on two GUI threads of one process: each keeps its own auto-hide
// timer and stored id, so a toggle on one neither stops nor forgets the other's.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "band_helpers.h"
#include "bands/menu_band.h"
#include "pump.h"
#include "state/process_state.h"

using namespace bands_test;
using standin::kMenuBandId;

namespace {

constexpr UINT kRunMessage = WM_APP + 1;
constexpr char kRunnerClass[] = "BandTestRunner";

LRESULT CALLBACK runnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunMessage) {
        (*reinterpret_cast<std::function<void()>*>(lParam))();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A GUI thread of its own that runs what it is given and takes its messages with
// GetMessage, noting every WM_TIMER it takes.
class GuiThread {
  public:
    GuiThread() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = runnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kRunnerClass;
        RegisterClassA(&wc); // fails harmlessly the second time
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] { loop(ready); });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~GuiThread() {
        PostMessageA(runner_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    GuiThread(const GuiThread&) = delete;
    GuiThread& operator=(const GuiThread&) = delete;

    void run(std::function<void()> work) {
        SendMessageA(runner_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
    }
    std::vector<Tick> ticksFor(HWND window) const {
        std::lock_guard<std::mutex> guard(lock_);
        std::vector<Tick> found;
        for (const Tick& tick : ticks_)
            if (tick.window == window) found.push_back(tick);
        return found;
    }

  private:
    void loop(HANDLE ready) {
        runner_ = CreateWindowExA(0, kRunnerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetEvent(ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_TIMER) {
                std::lock_guard<std::mutex> guard(lock_);
                ticks_.push_back({message.hwnd, message.wParam, nowMs()});
            }
            if (message.hwnd == runner_ && message.message == WM_CLOSE) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DestroyWindow(runner_);
    }

    std::thread thread_;
    HWND runner_ = nullptr;
    mutable std::mutex lock_;
    std::vector<Tick> ticks_;
};

int storedMenuTimer(HWND frame) {
    return storedTimerId(frame, FrameTimer::MenuAutohide);
}

} // namespace

TEST(MenuBandThreads, TwoFramesOnTwoThreadsKeepTheirOwnAutohideTimers) {
    GuiThread threadA;
    GuiThread threadB;
    standin::FrameHandles a{};
    standin::FrameHandles b{};
    threadA.run([&] { a = standin::createFrame(frameOptions("MTALG")); });
    threadB.run([&] { b = standin::createFrame(frameOptions("MTALG")); });
    ASSERT_NE(a.frame, nullptr);
    ASSERT_NE(b.frame, nullptr);
    threadA.run([&] { showMenuBand(a.frame, 0); });
    threadB.run([&] { showMenuBand(b.frame, 0); });

    threadA.run([&] { toggleMenuBand(a.frame); }); // A shown, its timer armed
    threadB.run([&] { toggleMenuBand(b.frame); }); // B shown, its timer armed
    const ULONGLONG armedB = nowMs();
    const int idB = storedMenuTimer(b.frame);
    threadA.run([&] { toggleMenuBand(a.frame); }); // A hidden, its timer killed
    EXPECT_TRUE(bandHidden(a.rebar, kMenuBandId));
    EXPECT_FALSE(bandHidden(b.rebar, kMenuBandId));
    EXPECT_EQ(storedMenuTimer(a.frame), kNoTimer);
    EXPECT_NE(idB, kNoTimer);
    EXPECT_EQ(storedMenuTimer(b.frame), idB) << "A's toggle forgot B's timer";

    // B's timer still ticks on B's thread; A's does not.
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return !threadB.ticksFor(b.frame).empty(); }, 4500));
    const Tick tick = threadB.ticksFor(b.frame).front();
    EXPECT_EQ(tick.id, static_cast<UINT_PTR>(TIMER_MENU_AUTOHIDE));
    EXPECT_GE(tick.at - armedB, 1900u);
    EXPECT_TRUE(threadA.ticksFor(a.frame).empty());

    // Hiding B as its tick would: the stored id still stops B's timer.
    bool stillRunning = true;
    threadB.run([&] {
        setMenuBand(b.frame, 0);
        stillRunning = KillTimer(b.frame, TIMER_MENU_AUTOHIDE) != FALSE;
    });
    EXPECT_FALSE(stillRunning);
    EXPECT_EQ(storedMenuTimer(b.frame), kNoTimer);
    EXPECT_TRUE(bandHidden(b.rebar, kMenuBandId));

    threadA.run([&] { DestroyWindow(a.frame); });
    threadB.run([&] { DestroyWindow(b.frame); });
}
