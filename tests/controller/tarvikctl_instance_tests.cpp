// One tarvikctl per desktop, seen from a browser frame of this process whose
// drop-down arrow the example settings hide: a second tarvikctl refuses and names
// the first, which keeps the frame restyled; --stop ends the first and the arrow
// is back; --replace takes over; starts wait on the start lock, and of two that
// race for it exactly one runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>

#include "child_process.h"
#include "instance.h"
#include "pump.h"
#include "tarvikctl_process.h"

using tarvik::test::ChildProcess;
using tarvik::test::pumpUntil;
using tarvik::test::pumpUntilSignalled;
using tarvik::test::quoted;

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr DWORD kExitRunning = 7;
constexpr int kMainToolbarId = 0xA000;
constexpr int kButton = 100;

// An "IEFrame" of this thread whose main toolbar has one drop-down button.
class BrowserFrame {
  public:
    BrowserFrame() {
        const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA frameClass{};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandleA(nullptr);
        frameClass.lpszClassName = "IEFrame";
        RegisterClassA(&frameClass);
        frame_ = CreateWindowExA(0, "IEFrame", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                 nullptr, nullptr, frameClass.hInstance, nullptr);
        toolbar_ =
            CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                            frame_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMainToolbarId)),
                            frameClass.hInstance, nullptr);
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = kButton;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_DROPDOWN;
        button.iString = -1;
        SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageA(toolbar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    ~BrowserFrame() { DestroyWindow(frame_); }
    BrowserFrame(const BrowserFrame&) = delete;
    BrowserFrame& operator=(const BrowserFrame&) = delete;

    bool made() const { return toolbar_ != nullptr; }
    bool hasArrow() const {
        TBBUTTONINFOA info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STYLE;
        SendMessageA(toolbar_, TB_GETBUTTONINFOA, kButton, reinterpret_cast<LPARAM>(&info));
        return (info.fsStyle & BTNS_DROPDOWN) != 0;
    }

  private:
    HWND frame_ = nullptr;
    HWND toolbar_ = nullptr;
};

bool says(const ChildProcess& child, const std::string& text) {
    return child.err().find(text) != std::string::npos;
}

std::string processText(const ChildProcess& child) {
    return "(process " + std::to_string(child.id()) + ")";
}

class TarvikctlInstances : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(frame_.made() && frame_.hasArrow()); }

    // The frame answers the library's broadcasts only while this thread pumps.
    bool start(ChildProcess& child, const std::string& options = "") {
        return child.start(quoted(tarvik::test::tarvikctlPath()) + " " + options + " " +
                           quoted(tarvik::test::tarvikctlExample()));
    }
    bool running(const ChildProcess& child) {
        return pumpUntil([&] { return says(child, "running;"); }, kWaitMs);
    }
    bool ended(ChildProcess& child) {
        return pumpUntilSignalled(child.handle(), kWaitMs) && child.waitForExit(0);
    }
    bool stopped(ChildProcess& instance) {
        ChildProcess stop;
        return stop.start(quoted(tarvik::test::tarvikctlPath()) + " --stop") && ended(stop) &&
               stop.exitCode() == 0 && instance.waitForExit(0);
    }

    BrowserFrame frame_;
};

TEST_F(TarvikctlInstances, SecondRefusesWhileTheFirstRunsAndStopEndsTheFirst) {
    ChildProcess first;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(running(first)) << first.err();
    EXPECT_FALSE(frame_.hasArrow()) << "applied";

    ChildProcess second;
    ASSERT_TRUE(start(second));
    ASSERT_TRUE(ended(second));
    EXPECT_EQ(second.exitCode(), kExitRunning) << second.err();
    EXPECT_TRUE(says(second, "tarvikctl: error: tarvikctl is already running on this desktop " +
                                 processText(first)))
        << second.err();
    EXPECT_FALSE(says(second, "hooks installed")) << second.err();
    tarvik::test::pumpFor(300);
    EXPECT_FALSE(frame_.hasArrow()) << "the first keeps its frame restyled";
    EXPECT_EQ(WaitForSingleObject(first.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    ChildProcess stop;
    ASSERT_TRUE(stop.start(quoted(tarvik::test::tarvikctlPath()) + " --stop"));
    ASSERT_TRUE(ended(stop));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    EXPECT_TRUE(says(stop, "stopped tarvikctl " + processText(first))) << stop.err();
    ASSERT_TRUE(first.waitForExit(0)) << "--stop returns once the first has ended";
    EXPECT_EQ(first.exitCode(), 0u) << first.err();
    EXPECT_TRUE(says(first, "hooks removed")) << first.err();
    EXPECT_TRUE(frame_.hasArrow()) << "native again";

    const auto none = tarvik::test::runProcess(quoted(tarvik::test::tarvikctlPath()) + " --stop");
    EXPECT_EQ(none.exitCode, 0u);
    EXPECT_NE(none.err.find("no tarvikctl is running on this desktop"), std::string::npos)
        << none.err;
}

TEST_F(TarvikctlInstances, ReplaceStopsTheRunningOneAndTakesOver) {
    ChildProcess first;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(running(first)) << first.err();

    ChildProcess second;
    ASSERT_TRUE(start(second, "--replace"));
    ASSERT_TRUE(running(second)) << second.err();
    EXPECT_TRUE(says(second, "stopping the running tarvikctl " + processText(first)));
    ASSERT_TRUE(first.waitForExit(0)) << "ended before the second installed";
    EXPECT_EQ(first.exitCode(), 0u);
    EXPECT_TRUE(says(first, "tarvikctl: restored") && says(first, "hooks removed")) << first.err();
    EXPECT_FALSE(frame_.hasArrow()) << "the second's settings";
    EXPECT_NE(tarvik::test::findNotifyWindow(second.id(), 0), nullptr);

    ASSERT_TRUE(stopped(second)) << second.err();
    EXPECT_TRUE(frame_.hasArrow());
}

// Both wait on the start lock this test holds, then race for it.
TEST_F(TarvikctlInstances, StartsWaitForTheStartLockAndOfTwoOneRuns) {
    tarvikctl::StartLock lock;
    ASSERT_EQ(lock.acquire(0), "");
    ChildProcess a;
    ChildProcess b;
    ASSERT_TRUE(start(a) && start(b));
    const std::string waiting = "waiting for another tarvikctl to finish starting or stopping";
    ASSERT_TRUE(pumpUntil([&] { return says(a, waiting) && says(b, waiting); }, kWaitMs))
        << a.err() << b.err();
    EXPECT_FALSE(says(a, "hooks installed") || says(b, "hooks installed"));
    lock.release();

    auto settled = [](ChildProcess& child) {
        return WaitForSingleObject(child.handle(), 0) == WAIT_OBJECT_0 || says(child, "running;");
    };
    ASSERT_TRUE(pumpUntil([&] { return settled(a) && settled(b); }, kWaitMs));
    const bool aRuns = says(a, "running;");
    ChildProcess& runner = aRuns ? a : b;
    ChildProcess& refused = aRuns ? b : a;
    ASSERT_TRUE(refused.waitForExit(kWaitMs)) << "one of the two refuses";
    EXPECT_EQ(refused.exitCode(), kExitRunning) << refused.err();
    EXPECT_TRUE(says(refused, "already running on this desktop " + processText(runner)));
    EXPECT_FALSE(says(refused, "hooks installed")) << refused.err();

    ASSERT_TRUE(stopped(runner)) << runner.err();
    EXPECT_EQ(runner.exitCode(), 0u);
    EXPECT_TRUE(frame_.hasArrow());
}

} // namespace
