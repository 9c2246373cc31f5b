// A frame shown again refills its toolbar's lists only when something changed: the
// image-list calls the library makes in the host are counted there, and the lists'
// pixels say what the toolbar shows.
#include <gtest/gtest.h>

#include "dll_bench.h"

using namespace icontest;

namespace {

class IconRefill : public DllBench {};

std::vector<COLORREF> controllerColours(bool hot, int set) {
    std::vector<COLORREF> colours;
    for (int slot = 0; slot < kSlots; ++slot)
        colours.push_back(controllerColor(slot, hot, set));
    return colours;
}

// Images the library put into lists in the host while the frame was hidden and shown
// again: one per ImageList_ReplaceIcon, a list's worth per ImageList_Add of a strip.
int refillCallsOfReshow(standin::RemoteShell& host, HWND frame) {
    auto before = hostLedger(host);
    EXPECT_TRUE(host.showWindow(frame, SW_HIDE));
    EXPECT_TRUE(host.showWindow(frame, SW_SHOW));
    auto after = hostLedger(host);
    if (!before || !after) {
        ADD_FAILURE() << "ledger: " << before.error << after.error;
        return -1;
    }
    return static_cast<int>(after->replaceIcons - before->replaceIcons +
                            kSlots * (after->adds - before->adds));
}

} // namespace

// Each refill is 64 slots in each of the two lists.
constexpr int kOneRefill = 2 * kSlots;

TEST_F(IconRefill, AReshownFrameIsRefilledOnlyAfterAChange) {
    standin::RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    ASSERT_EQ(startHostLedger(host), "");
    auto frame = host.createFrame(browserOptions(24));
    ASSERT_TRUE(frame) << frame.error;
    HostIcons first(host, 24, 1), second(host, 24, 2);
    ASSERT_TRUE(first.error.empty() && second.error.empty()) << first.error << second.error;
    library.setIcons(first.normal.data(), first.hot.data(), kSlots, 24);
    library.setSmallIcons(nullptr, nullptr, kSlots, 16);
    library.changeAllToolbar();
    ASSERT_TRUE(hostListHolds(host, frame->mainToolbar, false, {24, controllerColours(false, 1)}));

    // Nothing changed: no refill at all, and the toolbar still shows the icons.
    EXPECT_EQ(refillCallsOfReshow(host, frame->frame), 0);
    EXPECT_TRUE(hostListHolds(host, frame->mainToolbar, false, {24, controllerColours(false, 1)}));
    EXPECT_TRUE(hostListHolds(host, frame->mainToolbar, true, {24, controllerColours(true, 1)}));

    // A new set, then a new size: the show refills once (its second re-application,
    // from the position change, finds the lists current).
    library.setIcons(second.normal.data(), second.hot.data(), kSlots, 24);
    EXPECT_EQ(refillCallsOfReshow(host, frame->frame), kOneRefill);
    EXPECT_TRUE(hostListHolds(host, frame->mainToolbar, true, {24, controllerColours(true, 2)}));
    library.setIcons(second.normal.data(), second.hot.data(), kSlots, 32);
    EXPECT_EQ(refillCallsOfReshow(host, frame->frame), kOneRefill);
    EXPECT_TRUE(hostListHolds(host, frame->mainToolbar, false, {32, controllerColours(false, 2)}));
    EXPECT_EQ(refillCallsOfReshow(host, frame->frame), 0);

    // A visual-style change and a restore are changes too.
    ASSERT_TRUE(host.send(frame->mainToolbar, WM_THEMECHANGED));
    EXPECT_GE(refillCallsOfReshow(host, frame->frame), kOneRefill);
    library.restoreAllToolbar();
    library.changeAllToolbar();
    EXPECT_EQ(refillCallsOfReshow(host, frame->frame), 0);
    EXPECT_TRUE(hostListHolds(host, frame->mainToolbar, false, {32, controllerColours(false, 2)}));

    library.uninstallHook();
    EXPECT_TRUE(host.stop());
}
