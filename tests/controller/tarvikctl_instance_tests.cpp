// One tarvikctl per desktop, seen from a stand-in browser frame of this process
// whose drop-down arrows the example settings hide: a second tarvikctl refuses and
// names the first, which keeps the frame restyled; --stop ends the first and the
// arrows are back; --replace takes over; starts wait on the start lock, and of two that
// race for it exactly one runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>

#include "child_process.h"
#include "instance.h"
#include "lane.h"
#include "pump.h"
#include "standin/standin.h"
#include "tarvikctl_process.h"

using tarvik::test::ChildProcess;
using tarvik::test::pumpUntil;
using tarvik::test::pumpUntilSignalled;
using tarvik::test::quoted;

namespace {

const DWORD kWaitMs = tarvik::test::laneWaitMs(10000);
constexpr DWORD kExitRunning = 7;

bool says(const ChildProcess& child, const std::string& text) {
    return child.err().find(text) != std::string::npos;
}

std::string processText(const ChildProcess& child) {
    return "(process " + std::to_string(child.id()) + ")";
}

class TarvikctlInstances : public ::testing::Test {
  protected:
    void SetUp() override {
        standin::FrameOptions browser;
        browser.frameClass = standin::FrameClass::Browser;
        frame_ = standin::createFrame(browser);
        ASSERT_NE(frame_.mainToolbar, nullptr);
        ASSERT_TRUE(hasArrows());
    }
    void TearDown() override { standin::destroyFrame(frame_.frame); }

    bool hasArrows() const {
        for (const standin::ButtonRecord& button : standin::snapshotButtons(frame_.mainToolbar))
            if (button.fsStyle & BTNS_DROPDOWN) return true;
        return false;
    }

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

    standin::FrameHandles frame_{};
};

TEST_F(TarvikctlInstances, SecondRefusesWhileTheFirstRunsAndStopEndsTheFirst) {
    ChildProcess first;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(running(first)) << first.err();
    EXPECT_FALSE(hasArrows()) << "applied";

    ChildProcess second;
    ASSERT_TRUE(start(second));
    ASSERT_TRUE(ended(second));
    EXPECT_EQ(second.exitCode(), kExitRunning) << second.err();
    EXPECT_TRUE(says(second, "tarvikctl: error: tarvikctl is already running on this desktop " +
                                 processText(first)))
        << second.err();
    EXPECT_FALSE(says(second, "hooks installed")) << second.err();
    tarvik::test::pumpFor(300);
    EXPECT_FALSE(hasArrows()) << "the first keeps its frame restyled";
    EXPECT_EQ(WaitForSingleObject(first.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    ChildProcess stop;
    ASSERT_TRUE(stop.start(quoted(tarvik::test::tarvikctlPath()) + " --stop"));
    ASSERT_TRUE(ended(stop));
    EXPECT_EQ(stop.exitCode(), 0u) << stop.err();
    EXPECT_TRUE(says(stop, "stopped tarvikctl " + processText(first))) << stop.err();
    ASSERT_TRUE(first.waitForExit(0)) << "--stop returns once the first has ended";
    EXPECT_EQ(first.exitCode(), 0u) << first.err();
    EXPECT_TRUE(says(first, "hooks removed")) << first.err();
    EXPECT_TRUE(hasArrows()) << "native again";

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
    EXPECT_FALSE(hasArrows()) << "the second's settings";
    EXPECT_NE(tarvik::test::findNotifyWindow(second.id(), 0), nullptr);

    ASSERT_TRUE(stopped(second)) << second.err();
    EXPECT_TRUE(hasArrows());
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
    EXPECT_TRUE(hasArrows());
}

} // namespace
