// The hook procedures called here, in the test process, for windows of a stand-in
// shell host, as Windows calls a hook of the other bitness in the controller's
// thread. Each message the library acts on leaves the host's windows unmessaged,
// their controls as they were, any record lParam points to unread, and this
// process's own marks unmoved; the same calls on frames of this process act.
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
#include "recorder.h"
#include "standin/client.h"
#include "standin/standin.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/shared_state.h"

namespace {

using standin::FrameClass;
using standin::FrameHandles;

// A page that counts reads: lParam records of another process (an NMHDR, a
// WINDOWPOS) are not this process's memory, so reading one here is the fault.
class GuardedPage {
  public:
    GuardedPage() {
        base_ = static_cast<BYTE*>(
            VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        current_ = this;
        handler_ = AddVectoredExceptionHandler(1, countRead);
    }
    ~GuardedPage() {
        RemoveVectoredExceptionHandler(handler_);
        current_ = nullptr;
        VirtualFree(base_, 0, MEM_RELEASE);
    }
    template <class T>
    LPARAM hold(const T& record) {
        DWORD was = 0;
        VirtualProtect(base_, kBytes, PAGE_READWRITE, &was);
        std::memcpy(base_, &record, sizeof record);
        VirtualProtect(base_, kBytes, PAGE_READWRITE | PAGE_GUARD, &was);
        return reinterpret_cast<LPARAM>(base_);
    }
    int reads = 0;

  private:
    // The guard drops at the first touch, so the read then goes on.
    static LONG CALLBACK countRead(EXCEPTION_POINTERS* fault) {
        const EXCEPTION_RECORD& r = *fault->ExceptionRecord;
        if (current_ == nullptr || r.ExceptionCode != STATUS_GUARD_PAGE_VIOLATION ||
            r.NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        const auto at = reinterpret_cast<BYTE*>(r.ExceptionInformation[1]);
        if (at < current_->base_ || at >= current_->base_ + kBytes)
            return EXCEPTION_CONTINUE_SEARCH;
        ++current_->reads;
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    static constexpr SIZE_T kBytes = 4096;
    static inline GuardedPage* current_ = nullptr;
    BYTE* base_ = nullptr;
    PVOID handler_ = nullptr;
};

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
    std::function<void(const Frames&, GuardedPage&)> call;
};

const Row kRows[] = {
    {"WM_SHOWWINDOW", false, true, [](auto& f, auto&) { sent(WM_SHOWWINDOW, f.browser.frame, 1); }},
    {"WM_WINDOWPOSCHANGED", false, true,
     [](auto& f, auto& page) {
         WINDOWPOS pos{};
         pos.hwnd = f.browser.frame;
         pos.flags = SWP_SHOWWINDOW;
         sent(WM_WINDOWPOSCHANGED, f.browser.frame, 0, page.hold(pos));
     }},
    {"MSG_SET_ICONS", false, true,
     [](auto& f, auto&) { sent(MSG_SET_ICONS, f.browser.frame, kApply, TARVIK_KIND_IE); }},
    {"MSG_SET_LOGO", false, true,
     [](auto& f, auto&) { sent(MSG_SET_LOGO, f.explorer.frame, kApply, TARVIK_KIND_EXPLORER); }},
    {"MSG_RESTORE_ICONS", false, false, [](auto& f, auto&) { sent(MSG_RESTORE_ICONS, f.taskbar); }},
    {"MSG_SET_MENUBAR", false, true,
     [](auto& f, auto&) { sent(MSG_SET_MENUBAR, f.explorer.frame, kApply, TARVIK_KIND_EXPLORER); }},
    {"MSG_SET_HEADERS", false, true,
     [](auto& f, auto&) { sent(MSG_SET_HEADERS, f.explorer.frame, kApply, TARVIK_KIND_EXPLORER); }},
    {"MSG_SET_DROPDOWNS", false, true,
     [](auto& f, auto&) {
         sent(MSG_SET_DROPDOWNS, f.explorer.frame, kApply, TARVIK_KIND_EXPLORER);
     }},
    {"MSG_TOGGLE_MENUBAR", false, true,
     [](auto& f, auto&) { sent(MSG_TOGGLE_MENUBAR, f.explorer.frame); }},
    {"MSG_STOP_TIMERS", false, false,
     [](auto& f, auto&) { sent(MSG_STOP_TIMERS, f.explorer.frame); }},
    {"WM_THEMECHANGED toolbar", false, true,
     [](auto& f, auto&) { sent(WM_THEMECHANGED, f.explorer.mainToolbar); }},
    {"WM_THEMECHANGED taskbar", false, false,
     [](auto& f, auto&) { sent(WM_THEMECHANGED, f.taskbar); }},
    {"TB_GETIDEALSIZE", true, true,
     [](auto& f, auto&) { sent(TB_GETIDEALSIZE, f.explorer.mainToolbar); }},
    {"WM_INITMENUPOPUP", false, true,
     [](auto& f, auto&) {
         HMENU popup = CreatePopupMenu();
         InsertMenuA(popup, 0, MF_BYPOSITION | MF_STRING | MF_CHECKED, 1, "Standard Buttons");
         sent(WM_INITMENUPOPUP, f.explorer.worker, reinterpret_cast<WPARAM>(popup));
         DestroyMenu(popup);
     }},
    {"RBN_CHILDSIZE", false, true,
     [](auto& f, auto& page) {
         NMHDR header{f.explorer.rebar, static_cast<UINT_PTR>(standin::kRebarId),
                      static_cast<UINT>(RBN_CHILDSIZE)};
         returned(WM_NOTIFY, f.explorer.worker, standin::kRebarId, page.hold(header));
     }},
    {"TB_CUSTOMIZE", false, true,
     [](auto& f, auto&) { returned(TB_CUSTOMIZE, f.explorer.mainToolbar); }},
    {"WM_TIMER re-apply", false, true,
     [](auto& f, auto&) { taken(WM_TIMER, f.browser.frame, TIMER_REAPPLY); }},
    {"WM_TIMER auto-hide", false, true,
     [](auto& f, auto&) { taken(WM_TIMER, f.browser.frame, TIMER_MENU_AUTOHIDE); }},
    {"WM_COMMAND", false, true,
     [](auto& f, auto&) { taken(WM_COMMAND, f.explorer.worker, CMD_TOGGLE_MENUBAR); }},
    {"WM_CLOSE", false, false, [](auto& f, auto&) { taken(WM_CLOSE, f.browser.frame, 0); }},
    {"WM_MBUTTONUP", false, true,
     [](auto& f, auto&) {
         MOUSEHOOKSTRUCT mouse{};
         mouse.hwnd = f.explorer.mainToolbar;
         mouse.wHitTestCode = HTCLIENT;
         mouseHook(HC_ACTION, WM_MBUTTONUP, reinterpret_cast<LPARAM>(&mouse));
     }},
};

// Settings under which every row acts on a frame of its own process.
void actOnEverything(bool marked) {
    sharedState.inactive = 0;
    sharedState.restoring = 0;
    sharedState.popupEnabled = 1;
    sharedState.explorerIconsApplied = 1;
    for (int k = 0; k < kFrameKinds; ++k) {
        sharedState.hideLogo[k] = 1;
        sharedState.hideMenu[k] = 1;
        sharedState.hideHeader[k] = 1;
        sharedState.hideDropdown[k] = 1;
    }
    processState.themeChangePending = marked ? 1 : 0;
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
        ASSERT_TRUE(host.start()) << host.lastError();
        host_.explorer = hostFrame(FrameClass::Explorer, 40);
        host_.browser = hostFrame(FrameClass::Browser, 520);
        auto taskbar = host.createTaskbar();
        ASSERT_TRUE(taskbar) << taskbar.error;
        host_.taskbar = *taskbar;
        standin::FrameOptions options;
        options.y = 560;
        own.explorer = standin::createFrame(options);
        options.frameClass = FrameClass::Browser;
        options.x = 520;
        own.browser = standin::createFrame(options);
        ASSERT_NE(own.browser.frame, nullptr);
        // Neither browser frame in front (auto-hide acts), the cursor over a bar (the menu).
        auto front = host.foreground(host_.explorer.frame);
        ASSERT_TRUE(front) << front.error;
        ASSERT_TRUE(tarvik::test::putCursorOver(host_.explorer.mainToolbar));
    }
    void TearDown() override {
        for (HWND frame : {own.explorer.frame, own.browser.frame}) {
            KillTimer(frame, TIMER_REAPPLY);
            KillTimer(frame, TIMER_MENU_AUTOHIDE);
            standin::destroyFrame(frame);
        }
        EXPECT_TRUE(host.stop()) << "the host had to be killed";
    }

    FrameHandles hostFrame(FrameClass frameClass, int x) {
        standin::FrameOptions options;
        options.frameClass = frameClass;
        options.x = x;
        auto made = host.createFrame(options);
        EXPECT_TRUE(made) << made.error;
        return *made;
    }

    std::string hostState() {
        std::string state;
        for (const FrameHandles* f : {&host_.explorer, &host_.browser}) {
            const auto bands = host.bands(f->rebar);
            for (const standin::BandRecord& band : *bands)
                state += std::to_string(band.wID) + ":" + std::to_string(band.fStyle) + ":" +
                         std::to_string(band.cxHeader) + " ";
            const auto buttons = host.buttons(f->mainToolbar);
            for (const standin::ButtonRecord& button : *buttons)
                state += std::to_string(button.fsStyle) + " ";
            for (bool hot : {false, true}) {
                const auto list = host.imageList(f->mainToolbar, hot);
                state += std::to_string(reinterpret_cast<UINT_PTR>(list->list)) + "/" +
                         std::to_string(list->count) + "/" + std::to_string(list->cx) + " ";
            }
        }
        return state;
    }

    standin::RemoteShell host;
    Frames host_{}, own{};
};

TEST_F(ForeignWindows, EveryHookOnlyPassesOnForAnotherProcesssWindows) {
    std::vector<HWND> watched = windowsOf(host_.explorer);
    for (HWND window : windowsOf(host_.browser))
        watched.push_back(window);
    watched.push_back(host_.taskbar);
    const std::string before = hostState();
    GuardedPage page;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        auto recording = host.startRecording(watched);
        ASSERT_TRUE(recording) << recording.error;
        actOnEverything(row.marked);
        page.reads = 0;
        row.call(host_, page);
        std::string heard;
        const auto records = host.records();
        for (const tarvik::test::MessageRecord& r : *records)
            heard += tarvik::test::messageName(r.message, r.hwnd) + " ";
        EXPECT_EQ(heard, "") << "the host's windows heard this process";
        EXPECT_EQ(page.reads, 0) << "read a record of the host's";
        EXPECT_FALSE(marksMoved(row.marked)) << "this process's marks moved";
    }
    EXPECT_EQ(hostState(), before);
    auto heap = host.call<BOOL>(standin::wire::Request::HeapCheck);
    EXPECT_TRUE(heap && *heap) << "the host's heap is damaged " << heap.error;

    // The same calls on frames of this process act: the settings above let every handler work.
    tarvik::test::MessageRecorder recorder;
    for (const FrameHandles* f : {&own.explorer, &own.browser})
        for (HWND window : windowsOf(*f))
            ASSERT_TRUE(recorder.attach(window));
    for (const Row& row : kRows) {
        if (!row.traceHere) continue;
        SCOPED_TRACE(row.name);
        actOnEverything(row.marked);
        recorder.clear();
        page.reads = 0;
        row.call(own, page);
        EXPECT_TRUE(recorder.count() > 0 || page.reads > 0 || marksMoved(row.marked));
    }
}

// The Alt tap still reaches a frame of another process of this bitness.
TEST_F(ForeignWindows, AnAltTapStillTogglesAForeignFrameOfThisBitness) {
    tarvik::test::RecorderConfig config;
    config.recordOnly(MSG_TOGGLE_MENUBAR);
    auto recording = host.startRecording({host_.explorer.frame}, config);
    ASSERT_TRUE(recording) << recording.error;
    actOnEverything(false);
    KBDLLHOOKSTRUCT key{};
    key.vkCode = VK_MENU;
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYDOWN, reinterpret_cast<LPARAM>(&key));
    key.flags = LLKHF_UP;
    lowLevelKeyboardHook(HC_ACTION, WM_SYSKEYUP, reinterpret_cast<LPARAM>(&key));
    EXPECT_EQ(host.records()->size(), 1u);
}

} // namespace
