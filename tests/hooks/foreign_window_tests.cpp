// The hook procedures called here for windows of a stand-in shell host, as Windows
// calls a hook of the other bitness in the controller's thread. The host's windows
// hear nothing, their controls and this process's marks stay as they were, and no
// record lParam points to is read; the same calls on frames of this process act.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cursor.h"
#include "hooks/hooks.h"
#include "message_names.h"
#include "private_messages.h"
#include "pump.h"
#include "recorder.h"
#include "standin/client.h"
#include "standin/standin.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"

namespace {

using standin::FrameClass;
using standin::FrameHandles;

// Another process's NMHDR or WINDOWPOS is not in this process: a record on a guard
// page stands in for it, and a read of it is counted.
constexpr SIZE_T kPage = 4096;
BYTE* guarded = nullptr;
int guardedReads = 0;

LONG CALLBACK countRead(EXCEPTION_POINTERS* fault) {
    const EXCEPTION_RECORD& r = *fault->ExceptionRecord;
    if (r.ExceptionCode != STATUS_GUARD_PAGE_VIOLATION || r.NumberParameters < 2 ||
        r.ExceptionInformation[1] - reinterpret_cast<ULONG_PTR>(guarded) >= kPage)
        return EXCEPTION_CONTINUE_SEARCH;
    ++guardedReads; // the guard is gone now: the read goes on
    return EXCEPTION_CONTINUE_EXECUTION;
}

template <class T>
LPARAM guardedRecord(const T& record) {
    DWORD was = 0;
    VirtualProtect(guarded, kPage, PAGE_READWRITE, &was);
    std::memcpy(guarded, &record, sizeof record);
    VirtualProtect(guarded, kPage, PAGE_READWRITE | PAGE_GUARD, &was);
    return reinterpret_cast<LPARAM>(guarded);
}

struct Frames {
    FrameHandles explorer, browser;
    HWND taskbar;
};

void sent(UINT message, HWND window, WPARAM wp = 0, LPARAM lp = 0) {
    CWPSTRUCT call{lp, wp, message, window};
    callWndProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&call));
}
void returned(UINT message, HWND window, WPARAM wp = 0, LPARAM lp = 0) {
    CWPRETSTRUCT call{0, lp, wp, message, window};
    callWndRetProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&call));
}
void taken(UINT message, HWND window, WPARAM wp) {
    MSG call{window, message, wp, 0, 0, {0, 0}};
    getMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&call));
}

struct Row {
    const char* name;
    bool marked;    // themeChangePending before the call
    bool traceHere; // on frames of this process the call leaves a trace
    std::function<void(const Frames&)> call;
};

constexpr LPARAM kEx = TARVIK_KIND_EXPLORER;
const Row kRows[] = {
    {"WM_SHOWWINDOW", false, true, [](auto& f) { sent(WM_SHOWWINDOW, f.browser.frame, 1); }},
    {"WM_WINDOWPOSCHANGED", false, true,
     [](auto& f) {
         const WINDOWPOS pos{f.browser.frame, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW};
         sent(WM_WINDOWPOSCHANGED, f.browser.frame, 0, guardedRecord(pos));
     }},
    {"MSG_SET_ICONS", false, true,
     [](auto& f) { sent(MSG_SET_ICONS, f.browser.frame, kApply, TARVIK_KIND_IE); }},
    {"MSG_SET_LOGO", false, true,
     [](auto& f) { sent(MSG_SET_LOGO, f.explorer.frame, kApply, kEx); }},
    {"MSG_RESTORE_ICONS", false, false, [](auto& f) { sent(MSG_RESTORE_ICONS, f.taskbar); }},
    {"MSG_SET_MENUBAR", false, true,
     [](auto& f) { sent(MSG_SET_MENUBAR, f.explorer.frame, kApply, kEx); }},
    {"MSG_SET_HEADERS", false, true,
     [](auto& f) { sent(MSG_SET_HEADERS, f.explorer.frame, kApply, kEx); }},
    {"MSG_SET_DROPDOWNS", false, true,
     [](auto& f) { sent(MSG_SET_DROPDOWNS, f.explorer.frame, kApply, kEx); }},
    {"MSG_TOGGLE_MENUBAR", false, true,
     [](auto& f) { sent(MSG_TOGGLE_MENUBAR, f.explorer.frame); }},
    {"MSG_STOP_TIMERS", false, false, [](auto& f) { sent(MSG_STOP_TIMERS, f.explorer.frame); }},
    {"WM_THEMECHANGED toolbar", false, true,
     [](auto& f) { sent(WM_THEMECHANGED, f.explorer.mainToolbar); }},
    {"WM_THEMECHANGED taskbar", false, false, [](auto& f) { sent(WM_THEMECHANGED, f.taskbar); }},
    {"TB_GETIDEALSIZE", true, true, [](auto& f) { sent(TB_GETIDEALSIZE, f.explorer.mainToolbar); }},
    {"WM_INITMENUPOPUP", false, true,
     [](auto& f) {
         HMENU popup = CreatePopupMenu();
         InsertMenuA(popup, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, 1, "Standard Buttons");
         sent(WM_INITMENUPOPUP, f.explorer.worker, reinterpret_cast<WPARAM>(popup));
         DestroyMenu(popup);
     }},
    {"RBN_CHILDSIZE", false, true,
     [](auto& f) {
         const NMHDR header{f.explorer.rebar, standin::kRebarId, UINT(RBN_CHILDSIZE)};
         returned(WM_NOTIFY, f.explorer.worker, standin::kRebarId, guardedRecord(header));
     }},
    {"TB_CUSTOMIZE", false, true, [](auto& f) { returned(TB_CUSTOMIZE, f.explorer.mainToolbar); }},
    {"WM_TIMER re-apply", false, true,
     [](auto& f) { taken(WM_TIMER, f.browser.frame, TIMER_REAPPLY); }},
    {"WM_TIMER auto-hide", false, true,
     [](auto& f) { taken(WM_TIMER, f.browser.frame, TIMER_MENU_AUTOHIDE); }},
    {"WM_COMMAND", false, true,
     [](auto& f) { taken(WM_COMMAND, f.explorer.worker, CMD_TOGGLE_MENUBAR); }},
    {"WM_CLOSE", false, false, [](auto& f) { taken(WM_CLOSE, f.browser.frame, 0); }},
    {"WM_MBUTTONUP", false, true,
     [](auto& f) {
         MOUSEHOOKSTRUCT mouse{{0, 0}, f.explorer.mainToolbar, HTCLIENT, 0};
         mouseHook(HC_ACTION, WM_MBUTTONUP, reinterpret_cast<LPARAM>(&mouse));
     }},
};

// Settings under which every row acts on a frame of its own process.
void actOnEverything(bool marked) {
    sharedState.inactive = sharedState.restoring = 0;
    sharedState.popupEnabled = sharedState.explorerIconsApplied = 1;
    for (int k = 0; k < kFrameKinds; ++k)
        sharedState.hideLogo[k] = sharedState.hideMenu[k] = sharedState.hideHeader[k] =
            sharedState.hideDropdown[k] = 1;
    processState.themeChangePending = marked ? 1 : 0;
    guardedReads = 0;
}

bool marksMoved(bool marked) {
    return processState.themeChangePending != (marked ? 1 : 0) ||
           sharedState.explorerIconsApplied != 1;
}

std::vector<HWND> windowsOf(const FrameHandles& f) {
    return {f.frame,       f.worker,       f.rebar,        f.menuToolbar,
            f.mainToolbar, f.addressChild, f.linksToolbar, f.logoWorker};
}

class ForeignWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        tarvik::test::nameThePrivateMessages();
        guarded = static_cast<BYTE*>(VirtualAlloc(nullptr, kPage, MEM_COMMIT, PAGE_READWRITE));
        handler = AddVectoredExceptionHandler(1, countRead);
        ASSERT_TRUE(host.start()) << host.lastError();
        there.explorer = *host.createFrame(options(FrameClass::Explorer, 40, 40));
        there.browser = *host.createFrame(options(FrameClass::Browser, 520, 40));
        there.taskbar = *host.createTaskbar();
        here.explorer = standin::createFrame(options(FrameClass::Explorer, 40, 560));
        here.browser = standin::createFrame(options(FrameClass::Browser, 520, 560));
        ASSERT_NE(here.browser.frame, nullptr);
        // Neither browser frame in front (auto-hide acts), the cursor over a bar (the menu).
        ASSERT_TRUE(host.foreground(there.explorer.frame));
        ASSERT_TRUE(tarvik::test::putCursorOver(there.explorer.mainToolbar));
    }
    void TearDown() override {
        for (HWND frame : {here.explorer.frame, here.browser.frame}) {
            KillTimer(frame, TIMER_REAPPLY);
            KillTimer(frame, TIMER_MENU_AUTOHIDE);
            standin::destroyFrame(frame);
        }
        EXPECT_TRUE(host.stop()) << "the host had to be killed";
        RemoveVectoredExceptionHandler(handler);
        VirtualFree(guarded, 0, MEM_RELEASE);
    }

    static standin::FrameOptions options(FrameClass frameClass, int x, int y) {
        standin::FrameOptions options;
        options.frameClass = frameClass;
        options.x = x;
        options.y = y;
        return options;
    }

    // Band styles and header sizes, button styles, image lists of the host's frames.
    std::vector<UINT_PTR> hostControls() {
        std::vector<UINT_PTR> state;
        for (const FrameHandles* f : {&there.explorer, &there.browser}) {
            const auto bands = host.bands(f->rebar);
            for (const standin::BandRecord& band : *bands)
                state.insert(state.end(), {band.fStyle, band.cxHeader});
            const auto buttons = host.buttons(f->mainToolbar);
            for (const standin::ButtonRecord& button : *buttons)
                state.push_back(button.fsStyle);
            for (bool hot : {false, true}) {
                const auto list = host.imageList(f->mainToolbar, hot);
                state.insert(state.end(), {reinterpret_cast<UINT_PTR>(list->list),
                                           UINT_PTR(list->count), UINT_PTR(list->cx)});
            }
        }
        return state;
    }

    standin::RemoteShell host;
    Frames there{}, here{};
    PVOID handler = nullptr;
};

TEST_F(ForeignWindows, EveryHookOnlyPassesOnForAnotherProcesssWindows) {
    std::vector<HWND> watched = windowsOf(there.explorer);
    for (HWND window : windowsOf(there.browser))
        watched.push_back(window);
    watched.push_back(there.taskbar);
    const std::vector<UINT_PTR> before = hostControls();
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(host.startRecording(watched));
        actOnEverything(row.marked);
        row.call(there);
        std::string heard;
        const auto records = host.records();
        for (const tarvik::test::MessageRecord& r : *records)
            heard += tarvik::test::messageName(r.message, r.hwnd) + " ";
        EXPECT_EQ(heard, "") << "the host's windows heard this process";
        EXPECT_EQ(guardedReads, 0) << "read a record of the host's";
        EXPECT_FALSE(marksMoved(row.marked)) << "this process's marks moved";
    }
    EXPECT_EQ(hostControls(), before);
    const auto heap = host.call<BOOL>(standin::wire::Request::HeapCheck);
    EXPECT_TRUE(heap && *heap) << "the host's heap " << heap.error;

    // The same calls on frames of this process act: the settings let every handler work.
    tarvik::test::MessageRecorder recorder;
    for (const FrameHandles* f : {&here.explorer, &here.browser})
        for (HWND window : windowsOf(*f))
            ASSERT_TRUE(recorder.attach(window));
    for (const Row& row : kRows) {
        if (!row.traceHere) continue;
        SCOPED_TRACE(row.name);
        actOnEverything(row.marked);
        recorder.clear();
        row.call(here);
        EXPECT_TRUE(recorder.count() > 0 || guardedReads > 0 || marksMoved(row.marked));
    }
}

// The bitness test lets the Alt tap through to a frame of another process of this bitness.
TEST_F(ForeignWindows, AnAltTapStillTogglesAForeignFrameOfThisBitness) {
    tarvik::test::RecorderConfig config;
    ASSERT_TRUE(host.startRecording({there.explorer.frame}, config.recordOnly(MSG_TOGGLE_MENUBAR)));
    actOnEverything(false);
    KBDLLHOOKSTRUCT key{VK_MENU, 0, 0, 0, 0};
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYDOWN, reinterpret_cast<LPARAM>(&key));
    key.flags = LLKHF_UP;
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYUP, reinterpret_cast<LPARAM>(&key));
    // The hook does not wait for the frame: its thread takes the toggle when it comes to it.
    const auto toggles = [&] {
        auto records = host.records();
        return records ? records->size() : 0u;
    };
    tarvik::test::pumpUntil([&] { return toggles() > 0; }, 5000);
    EXPECT_EQ(toggles(), 1u);
}

} // namespace
