// Faults around the broadcast: a frame whose thread hangs, a host killed while
// an export runs over its frames, a frame destroyed in the middle of a walk, and
// timers left pending when the hooks come out.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>
#include "frame_threads.h"
#include "hardening_bench.h"
#include "lane.h"
#include "recorder.h"
#include "state/identifiers.h"

using namespace hardening;
using tarvik::test::MessageRecord;
using tarvik::test::MessageRecorder;
using tarvik::test::RecorderConfig;

namespace {

constexpr UINT kPrivateMessages[] = {MSG_SET_ICONS,   MSG_SET_LOGO,      MSG_SET_MENUBAR,
                                     MSG_SET_HEADERS, MSG_SET_DROPDOWNS, 0x0DE3};

RecorderConfig privateMessagesOnly() {
    RecorderConfig config;
    for (UINT message : kPrivateMessages)
        config.recordOnly(message);
    return config;
}

std::vector<UINT> messagesOf(const std::vector<MessageRecord>& records) {
    std::vector<UINT> messages;
    for (const MessageRecord& record : records)
        messages.push_back(record.message);
    return messages;
}

class Faults : public DllCase {};

// The broadcast gives the hung frame one time-out and the others their messages.
TEST_F(Faults, AHungFrameCostsOneTimeoutAndTheOthersGetTheirMessagesInOrder) {
    install();
    std::vector<std::unique_ptr<FrameThread>> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(std::make_unique<FrameThread>(
            frameOptions(i % 2 ? standin::FrameClass::Browser : standin::FrameClass::Explorer, i)));
    for (auto& thread : threads)
        ASSERT_NE(thread->frame(), nullptr);
    MessageRecorder recorder(privateMessagesOnly());
    for (auto& thread : threads)
        ASSERT_TRUE(recorder.attach(thread->frame()));
    FrameThread& hung = *threads[1];

    struct Step {
        const char* name;
        std::vector<UINT> expected; // what every answering frame gets, in order
        std::function<void()> call;
    };
    const std::vector<Step> steps = {
        {"changeAllToolbar_EXPIE", {MSG_SET_ICONS}, [&] { library.changeAllToolbar(); }},
        {"showHideAllMenu_EXPIE", {MSG_SET_MENUBAR}, [&] { library.showHideAllMenu(1, 1); }},
        {"showHideAllLogo_EXPIE", {MSG_SET_LOGO}, [&] { library.showHideAllLogo(1, 1); }},
        {"restoreAllMenu_EXPIE", {MSG_SET_MENUBAR}, [&] { library.restoreAllMenu(); }},
        {"restoreAllToolbar_EXPIE", {MSG_SET_ICONS}, [&] { library.restoreAllToolbar(); }},
        {"uninstallHook_EXPIE", {0x0DE3}, [&] { library.uninstallHook(); }},
    };
    // The same calls with every frame answering, timed in this run: what the hung frame
    // adds is judged against them and the library's own time-out, not against a clock.
    std::vector<double> answering;
    for (const Step& step : steps) {
        const double start = nowMs();
        step.call();
        answering.push_back(nowMs() - start);
    }
    install();
    hung.hang();
    double total = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        recorder.clear();
        const double start = nowMs();
        step.call();
        const double took = nowMs() - start;
        total += took;
        std::printf("[ hung ] %s with one hung frame of 4: %.0f ms (all answering: %.0f ms)\n",
                    step.name, took, answering[i]);
        // One time-out at most (two would take twice the time-out): the frame's other
        // messages are skipped.
        EXPECT_LT(took - 2 * answering[i], 1.5 * kFrameAnswerTimeoutMs) << step.name;
        for (auto& thread : threads) {
            const auto got = messagesOf(recorder.recordsFor(thread->frame()));
            if (thread.get() == &hung)
                EXPECT_TRUE(got.empty()) << step.name;
            else
                EXPECT_EQ(got, step.expected) << step.name;
        }
    }
    std::printf("[ hung ] six exports in %.0f ms\n", total);
    RecordProperty("six_exports_ms", static_cast<int>(total));
    hung.release();
    // And it works again, once its thread has taken a message (till then it reads as hung).
    EXPECT_TRUE(tarvik::test::pumpUntil([&] { return answers(hung.frame(), 500); }, 5000));
}

// Killing the host while an export walks over its many frames: the export returns.
TEST_F(Faults, AHostKilledDuringABroadcastLetsTheExportReturn) {
    install();
    standin::RemoteShell host;
    standin::HostOptions hostOptions;
    hostOptions.threads = 2;
    ASSERT_TRUE(host.start(hostOptions)) << host.lastError();
    constexpr int kFrames = 16;
    for (int i = 0; i < kFrames; ++i) {
        auto made = host.createFrame(
            frameOptions(i % 2 ? standin::FrameClass::Browser : standin::FrameClass::Explorer, i),
            i % 2);
        ASSERT_TRUE(made) << made.error;
    }
    const standin::FrameHandles local =
        standin::createFrame(frameOptions(standin::FrameClass::Explorer, 20));
    ASSERT_NE(local.frame, nullptr);
    MessageRecorder recorder(privateMessagesOnly());
    ASSERT_TRUE(recorder.attach(local.frame));

    // A round over the living host, timed in this run: the rounds around the kill are
    // judged against it and the library's own time-out.
    const double roundStart = nowMs();
    library.changeAllToolbar();
    library.showHideAllMenu(1, 1);
    library.restoreAllMenu();
    library.restoreAllToolbar();
    const double livingRound = nowMs() - roundStart;

    struct Killer {
        HANDLE process;
        HANDLE started;
    } killer{host.process(), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) WINAPI -> DWORD {
            auto* k = static_cast<Killer*>(p);
            WaitForSingleObject(k->started, INFINITE);
            Sleep(30); // lands inside the walks over the host's frames
            TerminateProcess(k->process, 0xDEAD);
            return 0;
        },
        &killer, 0, nullptr);
    double longest = 0;
    int rounds = 0;
    const double start = nowMs();
    SetEvent(killer.started);
    while (WaitForSingleObject(host.process(), 0) == WAIT_TIMEOUT &&
           nowMs() - start < tarvik::test::laneWaitMs(10000)) {
        const double before = nowMs();
        library.changeAllToolbar();
        library.showHideAllMenu(1, 1);
        library.restoreAllMenu();
        library.restoreAllToolbar();
        longest = std::max(longest, nowMs() - before);
        ++rounds;
    }
    // And once more over the dead host's windows.
    const double after = nowMs();
    library.changeAllToolbar();
    library.restoreAllToolbar();
    const double afterKill = nowMs() - after;
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(killer.started);
    std::printf("[ kill ] %d rounds of four exports; longest round %.0f ms (living host: %.0f "
                "ms); after the kill %.0f ms\n",
                rounds, longest, livingRound, afterKill);
    EXPECT_EQ(WaitForSingleObject(host.process(), 0), WAIT_OBJECT_0);
    // A frame dying under a message costs one time-out at most; a dead host's windows none.
    EXPECT_LT(longest - 2 * livingRound, 1.2 * kFrameAnswerTimeoutMs);
    EXPECT_LT(afterKill, livingRound + tarvik::test::laneWaitMs(500));
    EXPECT_TRUE(answers(local.frame));
    // The frame of this process still got every message of the last two exports.
    const auto got = messagesOf(recorder.records());
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[got.size() - 2], static_cast<UINT>(MSG_SET_ICONS));
    EXPECT_EQ(got.back(), static_cast<UINT>(MSG_SET_ICONS));
    host.stop(0);
}

// The frame goes away from inside a walk over it: the walk ends, nothing crashes.
TEST_F(Faults, AFrameDestroyedInsideEachWalkEndsTheWalkQuietly) {
    install();
    library.setSmallIcons(nullptr, nullptr, 0, 16);
    struct Case {
        const char* name;
        UINT trigger; // message that the walk sends to a control of the frame
        std::function<void()> call;
    };
    HICON icon = standin::createSolidIcon(24, RGB(200, 0, 0));
    std::vector<HICON> table(kIconSlots, icon);
    library.setIcons(table.data(), table.data(), kIconSlots, 24);
    const std::vector<Case> cases = {
        {"menu band", RB_SHOWBAND, [&] { library.showHideAllMenu(1, 1); }},
        {"icons", TB_SETIMAGELIST, [&] { library.changeAllToolbar(); }},
        {"arrows", TB_SETBUTTONINFOA, [&] { library.showHideAllDropdownArrow(1, 1); }},
        {"titles", RB_SETBANDINFOA, [&] { library.showHideAllHeader(1, 1); }},
    };
    const standin::FrameHandles witness =
        standin::createFrame(frameOptions(standin::FrameClass::Browser, 9));
    for (const Case& c : cases) {
        const standin::FrameHandles victim =
            standin::createFrame(frameOptions(standin::FrameClass::Explorer, 3));
        ASSERT_NE(victim.frame, nullptr);
        MessageRecorder recorder;
        ASSERT_TRUE(recorder.attach(victim.rebar));
        ASSERT_TRUE(recorder.attach(victim.mainToolbar));
        int fired = 0;
        const HWND frame = victim.frame;
        recorder.before(nullptr, c.trigger, [&](const MessageRecord&) {
            if (fired++ == 0) DestroyWindow(frame);
        });
        c.call();
        tarvik::test::pumpFor(30);
        EXPECT_EQ(fired > 0, true) << c.name << ": the walk never reached the trigger";
        EXPECT_FALSE(IsWindow(frame)) << c.name;
        EXPECT_TRUE(answers(witness.frame)) << c.name;
        library.restoreAllMenu();
        library.restoreAllDropdownArrow();
        library.restoreAllHeader();
        library.restoreAllToolbar();
        std::printf("[ destroy ] %s walk: frame destroyed at its first %#x\n", c.name, c.trigger);
    }
    library.uninstallHook();
    DestroyIcon(icon);
}

} // namespace
