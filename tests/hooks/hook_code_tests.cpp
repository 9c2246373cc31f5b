// Each hook procedure, called as the system calls it: with a negative code it
// only passes the event on, with HC_ACTION the same event acts on a stand-in
// frame of this process (the control case that makes the first check count).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "foreground.h"
#include "hooks/hooks.h"
#include "pump.h"
#include "recorder.h"
#include "standin/standin.h"
#include "state/identifiers.h"
#include "state/shared_state.h"

namespace {

using standin::kLogoBandId;
using standin::kMenuBandId;

constexpr int kSkip = -1;

bool bandHidden(HWND rebar, UINT id) {
    for (const standin::BandRecord& band : standin::snapshotBands(rebar))
        if (band.wID == id) return (band.fStyle & RBBS_HIDDEN) != 0;
    ADD_FAILURE() << "no band " << id;
    return false;
}

void showBand(HWND rebar, UINT id, bool show) {
    const WPARAM index = static_cast<WPARAM>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
    SendMessageA(rebar, RB_SHOWBAND, index, show ? TRUE : FALSE);
}

class HookCodes : public ::testing::Test {
  protected:
    void SetUp() override {
        standin::FrameOptions options;
        options.frameClass = standin::FrameClass::Explorer;
        f = standin::createFrame(options);
        ASSERT_NE(f.frame, nullptr);
        sharedState.inactive = 0;
        sharedState.restoring = 0;
        for (int k = 0; k < kFrameKinds; ++k) {
            sharedState.hideLogo[k] = 1;
            sharedState.hideMenu[k] = 1;
        }
    }
    void TearDown() override { standin::destroyFrame(f.frame); }

    standin::FrameHandles f{};
};

TEST_F(HookCodes, CallWindowHook) {
    CWPSTRUCT sent{static_cast<LPARAM>(TARVIK_KIND_EXPLORER), kApply, MSG_SET_LOGO, f.frame};
    callWndProcHook(kSkip, 0, reinterpret_cast<LPARAM>(&sent));
    EXPECT_FALSE(bandHidden(f.rebar, kLogoBandId));
    callWndProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&sent));
    EXPECT_TRUE(bandHidden(f.rebar, kLogoBandId));
}

TEST_F(HookCodes, CallWindowReturnHook) {
    NMHDR header{f.rebar, static_cast<UINT_PTR>(standin::kRebarId),
                 static_cast<UINT>(RBN_CHILDSIZE)};
    CWPRETSTRUCT returned{0, reinterpret_cast<LPARAM>(&header),
                          static_cast<WPARAM>(standin::kRebarId), WM_NOTIFY, f.worker};
    callWndRetProcHook(kSkip, 0, reinterpret_cast<LPARAM>(&returned));
    EXPECT_FALSE(KillTimer(f.frame, TIMER_REAPPLY)) << "no re-apply timer armed";
    callWndRetProcHook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&returned));
    EXPECT_TRUE(KillTimer(f.frame, TIMER_REAPPLY));
}

TEST_F(HookCodes, GetMessageHook) {
    MSG tick{f.frame, WM_TIMER, TIMER_REAPPLY, 0, 0, {0, 0}};
    getMessageHook(kSkip, PM_REMOVE, reinterpret_cast<LPARAM>(&tick));
    EXPECT_FALSE(bandHidden(f.rebar, kLogoBandId));
    getMessageHook(HC_ACTION, PM_NOREMOVE, reinterpret_cast<LPARAM>(&tick));
    EXPECT_FALSE(bandHidden(f.rebar, kLogoBandId)) << "a peeked tick is left alone";
    getMessageHook(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&tick));
    EXPECT_TRUE(bandHidden(f.rebar, kLogoBandId));
}

TEST_F(HookCodes, MouseHook) {
    showBand(f.rebar, kMenuBandId, false);
    MOUSEHOOKSTRUCT mouse{};
    mouse.hwnd = f.mainToolbar;
    mouse.wHitTestCode = HTCLIENT;
    mouseHook(kSkip, WM_MBUTTONUP, reinterpret_cast<LPARAM>(&mouse));
    EXPECT_TRUE(bandHidden(f.rebar, kMenuBandId));
    mouseHook(HC_ACTION, WM_MBUTTONUP, reinterpret_cast<LPARAM>(&mouse));
    EXPECT_FALSE(bandHidden(f.rebar, kMenuBandId));
    KillTimer(f.frame, TIMER_MENU_AUTOHIDE);
}

// The foreground frame, recording the toggles it is sent.
class KeyboardCodes : public HookCodes {
  protected:
    void SetUp() override {
        HookCodes::SetUp();
        ASSERT_TRUE(tarvik::test::bringToForeground(f.frame));
        tarvik::test::RecorderConfig config;
        config.recordOnly(MSG_TOGGLE_MENUBAR);
        recorder.configure(config);
        ASSERT_TRUE(recorder.attach(f.frame));
    }

    size_t altTap(
        int code, const std::function<void()>& between = [] {}) {
        recorder.clear();
        KBDLLHOOKSTRUCT key{};
        key.vkCode = VK_MENU;
        key.flags = LLKHF_ALTDOWN;
        lowLevelKeyboardHook(code, WM_SYSKEYDOWN, reinterpret_cast<LPARAM>(&key));
        between();
        key.flags = LLKHF_UP;
        lowLevelKeyboardHook(code, WM_SYSKEYUP, reinterpret_cast<LPARAM>(&key));
        return recorder.count();
    }

    tarvik::test::MessageRecorder recorder;
};

TEST_F(KeyboardCodes, LowLevelKeyboardHook) {
    EXPECT_EQ(altTap(kSkip), 0u);
    EXPECT_EQ(altTap(HC_ACTION), 1u);
}

TEST_F(KeyboardCodes, KeyboardHook) {
    // 'F' pressed while Alt is held ends the tap, unless the keystroke is passed over.
    constexpr LPARAM kFWithAlt = (LPARAM(1) << 29) | 1;
    EXPECT_EQ(altTap(HC_ACTION, [] { keyboardHook(kSkip, 'F', kFWithAlt); }), 1u);
    EXPECT_EQ(altTap(HC_ACTION, [] { keyboardHook(HC_ACTION, 'F', kFWithAlt); }), 0u);
}

} // namespace
