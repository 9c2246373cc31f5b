// The change and restore exports on stand-in frames of this process (no hooks):
// the message each sends to every frame, the stores already made when a frame
// receives it, the inactive/restoring/explorerIconsApplied switch after each
// export, the taskbar step of restoreAllToolbar_EXPIE, the timer stop of
// uninstallHook_EXPIE, and a frame that does not answer.
#include <gtest/gtest.h>
#include <algorithm>
#include <windows.h>
#include <functional>

#include "control/broadcast.h"
#include "control_test_util.h"
#include "pump.h"
#include "sequence_assert.h"
#include "state/shared_state.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;
using tarvik::test::sequenceMatches;

namespace {

// What the stand-in taskbar answers MSG_RESTORE_ICONS with in these tests.
constexpr LRESULT kTaskbarAnswer = 0x5A17;

struct Flags {
    int inactive, restoring, explorerIconsApplied;
    bool operator==(const Flags&) const = default;
};

Flags flagsNow() {
    return {sharedState.inactive, sharedState.restoring, sharedState.explorerIconsApplied};
}

std::ostream& operator<<(std::ostream& out, const Flags& f) {
    return out << "{inactive " << f.inactive << ", restoring " << f.restoring
               << ", explorerIconsApplied " << f.explorerIconsApplied << "}";
}

struct Export {
    const char* name;
    std::function<int()> call;
    UINT message;
    WPARAM wParam;
};

std::vector<Export> broadcastingExports() {
    return {
        {"changeAllToolbar_EXPIE", [] { return changeAllToolbar_EXPIE(); }, MSG_SET_ICONS, 1},
        {"restoreAllToolbar_EXPIE", [] { return restoreAllToolbar_EXPIE(); }, MSG_SET_ICONS, 2},
        {"showHideAllLogo_EXPIE", [] { return showHideAllLogo_EXPIE(1, 1); }, MSG_SET_LOGO, 1},
        {"restoreAllLogo_EXPIE", [] { return restoreAllLogo_EXPIE(); }, MSG_SET_LOGO, 2},
        {"showHideAllMenu_EXPIE", [] { return showHideAllMenu_EXPIE(1, 1); }, MSG_SET_MENUBAR, 1},
        {"restoreAllMenu_EXPIE", [] { return restoreAllMenu_EXPIE(); }, MSG_SET_MENUBAR, 2},
        {"showHideAllHeader_EXPIE", [] { return showHideAllHeader_EXPIE(1, 1); }, MSG_SET_HEADERS,
         1},
        {"restoreAllHeader_EXPIE", [] { return restoreAllHeader_EXPIE(); }, MSG_SET_HEADERS, 2},
        {"showHideAllDropdownArrow_EXPIE", [] { return showHideAllDropdownArrow_EXPIE(1, 1); },
         MSG_SET_DROPDOWNS, 1},
        {"restoreAllDropdownArrow_EXPIE", [] { return restoreAllDropdownArrow_EXPIE(); },
         MSG_SET_DROPDOWNS, 2},
    };
}

// The stand-in taskbar, answering MSG_RESTORE_ICONS with a value of its own.
class AnsweringTaskbar {
  public:
    AnsweringTaskbar() : window(standin::createTaskbar(true)) {
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
        self() = this;
    }
    ~AnsweringTaskbar() {
        self() = nullptr;
        standin::destroyTaskbar(window);
    }
    AnsweringTaskbar(const AnsweringTaskbar&) = delete;
    AnsweringTaskbar& operator=(const AnsweringTaskbar&) = delete;
    HWND window;

  private:
    static AnsweringTaskbar*& self() {
        static AnsweringTaskbar* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        WNDPROC previous = self() != nullptr ? self()->previous_ : DefWindowProcW;
        const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
        return message == MSG_RESTORE_ICONS ? kTaskbarAnswer : result;
    }
    WNDPROC previous_ = nullptr;
};

class Exports : public ::testing::Test {
  protected:
    void SetUp() override {
        // As installHook_EXPIE leaves it.
        sharedState.inactive = 1;
        sharedState.restoring = 0;
        sharedState.explorerIconsApplied = 0;
        for (HWND window : {explorer->frame, browser->frame, commandBar->frame, plain.window})
            ASSERT_TRUE(recorder.attach(window));
    }

    tarvik::test::WindowNames names() const {
        return {{explorer->frame, "CabinetWClass"},
                {browser->frame, "IEFrame"},
                {commandBar->frame, "IEFrame+CommandBar"},
                {plain.window, "plain"}};
    }

    // Each frame got exactly this message, with its kind unless told otherwise; the
    // others nothing.
    void expectOneMessageEach(UINT message, WPARAM wParam, bool withKind = true) {
        const std::vector<MessageRecord> records = recorder.records();
        EXPECT_TRUE(sequenceMatches(
            recordsFor(records, explorer->frame),
            {privateMessage(explorer->frame, message, wParam, withKind ? kKindExplorer : 0)},
            tarvik::test::MatchMode::Exact, names()));
        EXPECT_TRUE(sequenceMatches(
            recordsFor(records, browser->frame),
            {privateMessage(browser->frame, message, wParam, withKind ? kKindIE : 0)},
            tarvik::test::MatchMode::Exact, names()));
        EXPECT_TRUE(recordsFor(records, commandBar->frame).empty());
        EXPECT_TRUE(recordsFor(records, plain.window).empty());
    }

    Frame explorer{FrameClass::Explorer};
    Frame browser{FrameClass::Browser};
    Frame commandBar{FrameClass::BrowserWithCommandBar};
    PlainWindow plain;
    MessageRecorder recorder{privateMessagesOnly()};
};

TEST_F(Exports, EachSendsItsMessageToEveryFrameAndNothingElse) {
    // This process holds the taskbar: its frames get no taskbar step of their own.
    AnsweringTaskbar taskbar;
    for (const Export& e : broadcastingExports()) {
        SCOPED_TRACE(e.name);
        recorder.clear();
        const int answer = e.call();
        if (e.message != MSG_SET_ICONS || e.wParam != 2) {
            EXPECT_NE(answer, 0) << "the EnumWindows result of a completed walk";
        }
        expectOneMessageEach(e.message, e.wParam);
    }
}

TEST_F(Exports, StoresAreMadeBeforeTheFirstMessageIsSent) {
    struct Seen {
        int inactive = -1, restoring = -1, hide0 = -1, hide1 = -1;
    };
    struct Case {
        const char* name;
        std::function<int()> call;
        UINT message;
        const int* hide; // the array the export stores, or null
        int expect0, expect1;
    };
    const Case cases[] = {
        {"showHideAllLogo_EXPIE", [] { return showHideAllLogo_EXPIE(5, -7); }, MSG_SET_LOGO,
         sharedState.hideLogo, 5, -7},
        {"showHideAllMenu_EXPIE", [] { return showHideAllMenu_EXPIE(-1, 9); }, MSG_SET_MENUBAR,
         sharedState.hideMenu, -1, 9},
        {"showHideAllHeader_EXPIE", [] { return showHideAllHeader_EXPIE(3, 0); }, MSG_SET_HEADERS,
         sharedState.hideHeader, 3, 0},
        {"showHideAllDropdownArrow_EXPIE", [] { return showHideAllDropdownArrow_EXPIE(0, 4); },
         MSG_SET_DROPDOWNS, sharedState.hideDropdown, 0, 4},
        {"changeAllToolbar_EXPIE", [] { return changeAllToolbar_EXPIE(); }, MSG_SET_ICONS, nullptr,
         0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sharedState.inactive = 1;
        Seen explorerSaw, browserSaw;
        auto watch = [&](HWND frame, Seen* seen) {
            return recorder.before(frame, c.message, [seen, &c](const MessageRecord&) {
                seen->inactive = sharedState.inactive;
                seen->restoring = sharedState.restoring;
                if (c.hide != nullptr) {
                    seen->hide0 = c.hide[0];
                    seen->hide1 = c.hide[1];
                }
            });
        };
        const int a = watch(explorer->frame, &explorerSaw);
        const int b = watch(browser->frame, &browserSaw);
        c.call();
        recorder.removeCallback(a);
        recorder.removeCallback(b);
        for (const Seen* seen : {&explorerSaw, &browserSaw}) {
            EXPECT_EQ(seen->inactive, 0) << "customisation must be on when the frame hears it";
            if (c.hide != nullptr) {
                EXPECT_EQ(seen->hide0, c.expect0);
                EXPECT_EQ(seen->hide1, c.expect1);
            }
        }
        if (c.hide != nullptr) {
            EXPECT_EQ(c.hide[0], c.expect0) << "stored as given";
            EXPECT_EQ(c.hide[1], c.expect1);
        }
    }

    // The restore exports: restoring is set before their messages go out.
    for (const Export& e : broadcastingExports()) {
        if (e.wParam != 2) continue;
        SCOPED_TRACE(e.name);
        sharedState.restoring = 0;
        int seen = -1;
        const int id = recorder.before(explorer->frame, e.message,
                                       [&](const MessageRecord&) { seen = sharedState.restoring; });
        e.call();
        recorder.removeCallback(id);
        EXPECT_EQ(seen, 1);
    }
}

TEST_F(Exports, TheSwitchMovesAsEachExportSays) {
    EXPECT_EQ(flagsNow(), (Flags{1, 0, 0}));
    changeAllToolbar_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{0, 0, 1})) << "an Explorer frame got the icons";

    // The feature restores set restoring and leave inactive as it was.
    restoreAllLogo_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{0, 1, 1}));
    restoreAllMenu_EXPIE();
    restoreAllHeader_EXPIE();
    restoreAllDropdownArrow_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{0, 1, 1}));

    // A showHideAll export switches customisation on but leaves restoring alone.
    sharedState.inactive = 1;
    showHideAllLogo_EXPIE(1, 0);
    EXPECT_EQ(flagsNow(), (Flags{0, 1, 1}));

    restoreAllToolbar_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{1, 0, 0}));

    // Restores while customisation is off keep it off.
    restoreAllHeader_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{1, 1, 0}));
    restoreAllToolbar_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{1, 0, 0}));

    for (auto showHide : {showHideAllLogo_EXPIE, showHideAllMenu_EXPIE, showHideAllHeader_EXPIE,
                          showHideAllDropdownArrow_EXPIE}) {
        sharedState.inactive = 1;
        showHide(0, 0);
        EXPECT_EQ(flagsNow(), (Flags{0, 0, 0})) << "only the icon message sets the icon flag";
    }
}

TEST_F(Exports, ChangeAllToolbarTwiceSendsTheIconsToEveryFrameBothTimes) {
    changeAllToolbar_EXPIE();
    ASSERT_EQ(sharedState.explorerIconsApplied, 1);
    changeAllToolbar_EXPIE();
    const std::vector<MessageRecord> records = recorder.records();
    EXPECT_TRUE(sequenceMatches(recordsFor(records, explorer->frame),
                                {privateMessage(explorer->frame, MSG_SET_ICONS, 1, 1),
                                 privateMessage(explorer->frame, MSG_SET_ICONS, 1, 1)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_TRUE(sequenceMatches(recordsFor(records, browser->frame),
                                {privateMessage(browser->frame, MSG_SET_ICONS, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_ICONS, 1, 2)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_TRUE(recordsFor(records, commandBar->frame).empty());
}

TEST_F(Exports, WithoutAnExplorerFrameTheIconFlagStaysClear) {
    DestroyWindow(explorer->frame);
    changeAllToolbar_EXPIE();
    EXPECT_EQ(flagsNow(), (Flags{0, 0, 0}));
    EXPECT_EQ(recordsFor(recorder.records(), browser->frame).size(), 1u);
}

TEST_F(Exports, RestoreAllToolbarAsksTheTaskbarLastAndReturnsItsAnswer) {
    AnsweringTaskbar taskbar;
    ASSERT_NE(taskbar.window, nullptr);
    ASSERT_EQ(FindWindowA("Shell_TrayWnd", nullptr), taskbar.window)
        << "the stand-in taskbar must be the one the library finds";
    ASSERT_TRUE(recorder.attach(taskbar.window));
    changeAllToolbar_EXPIE();
    ASSERT_EQ(flagsNow(), (Flags{0, 0, 1}));

    Flags atTaskbar{-1, -1, -1};
    recorder.before(taskbar.window, MSG_RESTORE_ICONS,
                    [&](const MessageRecord&) { atTaskbar = flagsNow(); });
    recorder.clear();
    EXPECT_EQ(restoreAllToolbar_EXPIE(), kTaskbarAnswer);

    const std::vector<MessageRecord> records = recorder.records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(sequenceMatches(
        {records.back()},
        {tarvik::test::msg(MSG_RESTORE_ICONS).on(taskbar.window).wparam(0).lparam(0)},
        tarvik::test::MatchMode::Exact, names()))
        << "the taskbar comes after every frame";
    expectOneMessageEach(MSG_SET_ICONS, 2);
    // The hook ignores the taskbar message while inactive is 1: it is set only afterwards.
    EXPECT_EQ(atTaskbar, (Flags{0, 1, 1}));
    EXPECT_EQ(flagsNow(), (Flags{1, 0, 0}));
}

// Wine's explorer always owns a hidden "Shell_TrayWnd" that answers unknown messages
// with 0, so "no taskbar" here means no stand-in taskbar: the library finds Wine's, in
// another process. This process's Explorer frames then live without the taskbar, as
// separate-process folder windows do: after every frame's restore each is asked for the
// taskbar's refill and release, for its process's lists and saved icons.
TEST_F(Exports, RestoreAllToolbarWithoutTheStandinTaskbarReturnsZero) {
    Frame tree{FrameClass::ExplorerTree};
    ASSERT_TRUE(recorder.attach(tree->frame));
    changeAllToolbar_EXPIE();
    recorder.clear();
    EXPECT_EQ(restoreAllToolbar_EXPIE(), 0);
    EXPECT_EQ(flagsNow(), (Flags{1, 0, 0}));
    const std::vector<MessageRecord> records = recorder.records();
    const auto asked = [&](HWND frame) {
        return static_cast<int>(std::count_if(records.begin(), records.end(), [&](const auto& r) {
            return r.hwnd == frame && r.message == MSG_RESTORE_ICONS;
        }));
    };
    EXPECT_EQ(asked(explorer->frame), 1);
    EXPECT_EQ(asked(tree->frame), 1);
    EXPECT_EQ(asked(browser->frame), 0);
    EXPECT_EQ(records.back().message, static_cast<UINT>(MSG_RESTORE_ICONS))
        << "after every frame's restore";
    for (HWND frame : {explorer->frame, tree->frame, browser->frame})
        EXPECT_EQ(std::count_if(records.begin(), records.end(),
                                [&](const auto& r) {
                                    return r.hwnd == frame && r.message == MSG_SET_ICONS &&
                                           r.wParam == 2;
                                }),
                  1);
}

TEST_F(Exports, UninstallStopsTheTimersOfEveryFrameFirst) {
    sharedState.inactive = 0;
    sharedState.popupEnabled = 1;
    sharedState.popupItemCount = 3;
    int inactiveAtStop = -1;
    recorder.before(explorer->frame, MSG_STOP_TIMERS,
                    [&](const MessageRecord&) { inactiveAtStop = sharedState.inactive; });
    EXPECT_EQ(uninstallHook_EXPIE(), 0);
    expectOneMessageEach(MSG_STOP_TIMERS, 0, false);
    EXPECT_EQ(inactiveAtStop, 1) << "no new timer may be armed while the old ones stop";
    EXPECT_EQ(sharedState.inactive, 1);
    EXPECT_EQ(sharedState.popupEnabled, 0);
    EXPECT_EQ(sharedState.popupItemCount, 0);
}

// A frame on a thread that does not take its messages: the broadcast gives up on it
// after one time-out and skips the rest of its messages, and the other frames of
// the walk still get all of theirs.
TEST_F(Exports, AFrameThatDoesNotAnswerCostsOneTimeoutAndLosesOnlyItsOwnMessages) {
    struct Stuck {
        HANDLE built = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HWND frame = nullptr;
        MessageRecorder recorder{privateMessagesOnly()};
    } stuck;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* param) WINAPI -> DWORD {
            auto* s = static_cast<Stuck*>(param);
            s->frame = standin::createFrame(frameOf(FrameClass::Explorer)).frame;
            s->recorder.attach(s->frame);
            SetEvent(s->built);
            WaitForSingleObject(s->release, INFINITE); // takes no message meanwhile
            tarvik::test::pumpFor(200);
            DestroyWindow(s->frame);
            return 0;
        },
        &stuck, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(tarvik::test::pumpUntilSignalled(stuck.built, 10000));
    ASSERT_NE(stuck.frame, nullptr);

    const LPARAM word = BC_MANUAL | BC_ICONS_APPLY | BC_LOGO_APPLY | BC_MENU_APPLY |
                        BC_HEADER_APPLY | BC_DROPDOWN_APPLY;
    const DWORD start = GetTickCount();
    EXPECT_EQ(broadcastToFrame(stuck.frame, word), TRUE);
    const DWORD stuckMs = GetTickCount() - start;
    EXPECT_GE(stuckMs, kFrameAnswerTimeoutMs - 500);
    EXPECT_LT(stuckMs, 2 * kFrameAnswerTimeoutMs) << "one time-out, not one per message";
    EXPECT_EQ(sharedState.explorerIconsApplied, 0) << "the icons never arrived";

    // The other frames are not held up.
    EXPECT_EQ(broadcastToFrame(explorer->frame, word), TRUE);
    EXPECT_EQ(recordsFor(recorder.records(), explorer->frame).size(), 5u);

    SetEvent(stuck.release);
    ASSERT_TRUE(tarvik::test::pumpUntilSignalled(thread, 10000));
    // What the stuck thread took afterwards, at most the first message: the rest were skipped.
    for (const MessageRecord& record : stuck.recorder.records())
        EXPECT_EQ(record.message, static_cast<UINT>(MSG_SET_ICONS));
    CloseHandle(thread);
    CloseHandle(stuck.built);
    CloseHandle(stuck.release);
}

} // namespace
