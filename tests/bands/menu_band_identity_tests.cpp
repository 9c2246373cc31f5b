// What makes a window the menu band's toolbar: class "ToolbarWindow32", control
// id 0, no window text, a "ReBarWindow32" parent, and a band with id 1 holding
// it. Each case first shows the candidate being found, then breaks one property.
#include <gtest/gtest.h>

#include <vector>

#include "band_helpers.h"
#include "bands/menu_band.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kMenuBandId;

namespace {

constexpr LPARAM kHide = 0x10000;

// Asks the three entry points and the procedure itself about a frame whose only
// candidate is `candidate`, and checks what the rebars were sent.
void expectMenuBand(HWND frame, HWND candidate, const std::vector<HWND>& rebars, bool found) {
    MessageRecorder recorder(rebarTraffic());
    for (HWND rebar : rebars)
        EXPECT_TRUE(recorder.attach(rebar));
    EXPECT_EQ(queryMenuBand(frame), found ? 1 : 0);
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());

    showMenuBand(frame, 0);
    std::vector<MessageRecord> shown = recordsOf(recorder.records(), RB_SHOWBAND);
    if (!found) {
        EXPECT_TRUE(shown.empty()) << "a band was hidden";
        EXPECT_EQ(menuBandProc(candidate, kHide), TRUE);
        EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());
        return;
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].lParam, FALSE);
    EXPECT_EQ(queryMenuBand(frame), 0) << "hidden now";
    showMenuBand(frame, 1);
    EXPECT_EQ(queryMenuBand(frame), 1);
}

// Puts `child` into the band with the given id in place of its child.
void setBandChild(HWND rebar, UINT id, HWND child) {
    REBARBANDINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_CHILD;
    info.hwndChild = child;
    SendMessageA(rebar, RB_SETBANDINFOA, indexOfBand(rebar, id), reinterpret_cast<LPARAM>(&info));
}

} // namespace

TEST(MenuBandIdentity, ClassMustBeToolbarWindow32Exactly) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    DestroyWindow(frame->menuToolbar); // leaves band 1 empty
    HWND genuine = createMenuLikeToolbar(rebar);
    setBandChild(rebar, kMenuBandId, genuine);
    ASSERT_EQ(bandById(rebar, kMenuBandId).hwndChild, genuine);
    expectMenuBand(frame->frame, genuine, {rebar}, true);

    const char* lookAlike = lookAlikeClass(TOOLBARCLASSNAMEA, "ToolbarWindow32Ex");
    ASSERT_NE(lookAlike, nullptr);
    HWND other = createMenuLikeToolbar(rebar, lookAlike);
    ASSERT_NE(other, nullptr);
    setBandChild(rebar, kMenuBandId, other);
    DestroyWindow(genuine);
    ASSERT_EQ(bandById(rebar, kMenuBandId).hwndChild, other);
    ASSERT_EQ(GetParent(other), rebar);
    expectMenuBand(frame->frame, other, {rebar}, false);
}

TEST(MenuBandIdentity, ControlIdMustBeZero) {
    Frame frame(frameOptions("MTALG"));
    expectMenuBand(frame->frame, frame->menuToolbar, {frame->rebar}, true);
    SetWindowLongPtrA(frame->menuToolbar, GWLP_ID, 5);
    expectMenuBand(frame->frame, frame->menuToolbar, {frame->rebar}, false);
}

TEST(MenuBandIdentity, WindowTextMustBeEmpty) {
    Frame frame(frameOptions("MTALG"));
    ASSERT_TRUE(SetWindowTextA(frame->menuToolbar, "Menu Bar"));
    expectMenuBand(frame->frame, frame->menuToolbar, {frame->rebar}, false);
    ASSERT_TRUE(SetWindowTextA(frame->menuToolbar, ""));
    expectMenuBand(frame->frame, frame->menuToolbar, {frame->rebar}, true);
}

TEST(MenuBandIdentity, ParentMustBeAReBarWindow32) {
    // No menu band in the frame's own rebar; the candidate sits in band 1 of a
    // second rebar, a real one first and then one of another class name.
    Frame frame(frameOptions("TALG"));
    HWND real = createRebar(frame->worker);
    HWND genuine = createMenuLikeToolbar(real);
    insertBand(real, kMenuBandId, genuine);
    ASSERT_EQ(GetParent(genuine), real);
    expectMenuBand(frame->frame, genuine, {frame->rebar, real}, true);
    DestroyWindow(real);

    const char* lookAlike = lookAlikeClass(REBARCLASSNAMEA, "ReBarWindow32Ex");
    ASSERT_NE(lookAlike, nullptr);
    HWND other = createRebar(frame->worker, lookAlike);
    HWND candidate = createMenuLikeToolbar(other);
    insertBand(other, kMenuBandId, candidate);
    ASSERT_EQ(GetParent(candidate), other);
    ASSERT_EQ(bandById(other, kMenuBandId).hwndChild, candidate) << "the look-alike is a rebar";
    expectMenuBand(frame->frame, candidate, {frame->rebar, other}, false);
    EXPECT_FALSE(bandHidden(other, kMenuBandId));
}

TEST(MenuBandIdentity, BandHoldingItMustHaveIdOne) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    setBandId(rebar, kMenuBandId, 7);
    ASSERT_EQ(bandById(rebar, 7).hwndChild, frame->menuToolbar);
    expectMenuBand(frame->frame, frame->menuToolbar, {rebar}, false);

    // A band with id 1 that holds another window does not make it the menu band.
    setBandId(rebar, standin::kToolbarBandId, kMenuBandId);
    ASSERT_EQ(bandById(rebar, kMenuBandId).hwndChild, frame->mainToolbar);
    expectMenuBand(frame->frame, frame->menuToolbar, {rebar}, false);
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));

    setBandId(rebar, kMenuBandId, standin::kToolbarBandId);
    setBandId(rebar, 7, kMenuBandId);
    expectMenuBand(frame->frame, frame->menuToolbar, {rebar}, true);
}
