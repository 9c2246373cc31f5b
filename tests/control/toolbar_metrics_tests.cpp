// Drop-down arrows on a main toolbar that answers TB_GETMETRICS/TB_SETMETRICS as
// a Windows toolbar does: the button spacing read back from the toolbar after each
// hide and show, and the answers of that toolbar themselves.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <utility>

#include "bands/dropdown_arrows.h"
#include "control_test_util.h"
#include "state/shared_state.h"

using namespace control_test;
using standin::FrameClass;

namespace {

using Spacing = std::pair<int, int>;

standin::FrameOptions answering(const char* buttons) {
    standin::FrameOptions options = frameOf(FrameClass::Explorer);
    options.answerMetrics = true;
    std::strncpy(options.buttons, buttons, sizeof options.buttons - 1);
    return options;
}

TBMETRICS record(DWORD mask) {
    TBMETRICS metrics{};
    metrics.cbSize = sizeof metrics;
    metrics.dwMask = mask;
    return metrics;
}

Spacing spacingOf(HWND toolbar) {
    TBMETRICS metrics = record(TBMF_BUTTONSPACING);
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
    return {metrics.cxButtonSpacing, metrics.cyButtonSpacing};
}

void setSpacing(HWND toolbar, int cx, int cy) {
    TBMETRICS metrics = record(TBMF_BUTTONSPACING);
    metrics.cxButtonSpacing = cx;
    metrics.cyButtonSpacing = cy;
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
}

bool anyArrow(HWND toolbar) {
    for (BYTE style : stylesOf(toolbar))
        if (style & BTNS_DROPDOWN) return true;
    return false;
}

class ToolbarMetrics : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(sharedState.dropdownTouched, 0, sizeof sharedState.dropdownTouched);
    }
};

TEST_F(ToolbarMetrics, HidingAndShowingArrowsLeaveTheSpacingTheToolbarReadsBack) {
    Frame f{answering("A D B S B B S W")};
    HWND toolbar = f->mainToolbar;
    ASSERT_EQ(spacingOf(toolbar), Spacing(0, 0)) << "a new toolbar's spacing";

    setSpacing(toolbar, 3, 7);
    walkDropdowns(f->frame, 1);
    EXPECT_EQ(spacingOf(toolbar), Spacing(7, 7)) << "show: the vertical spacing goes across";

    setSpacing(toolbar, 3, 7);
    walkDropdowns(f->frame, 0);
    EXPECT_FALSE(anyArrow(toolbar));
    EXPECT_EQ(spacingOf(toolbar), Spacing(0, 0)) << "hide: no spacing either way";

    setSpacing(toolbar, 2, 5);
    walkDropdowns(f->frame, 1);
    EXPECT_TRUE(anyArrow(toolbar));
    EXPECT_EQ(spacingOf(toolbar), Spacing(5, 5));

    // Nothing to rewrite: the toolbar keeps the spacing it has.
    std::memset(sharedState.dropdownTouched, 0, sizeof sharedState.dropdownTouched);
    Frame plain{answering("B S P B")};
    setSpacing(plain->mainToolbar, 3, 7);
    walkDropdowns(plain->frame, 0);
    walkDropdowns(plain->frame, 1);
    EXPECT_EQ(spacingOf(plain->mainToolbar), Spacing(3, 7));
}

TEST_F(ToolbarMetrics, TheToolbarHonoursSizeAndMask) {
    Frame f{answering("A B")};
    HWND toolbar = f->mainToolbar;
    setSpacing(toolbar, 3, 7);

    TBMETRICS wrongSize = record(TBMF_PAD | TBMF_BARPAD | TBMF_BUTTONSPACING);
    wrongSize.cbSize = sizeof wrongSize - 4;
    wrongSize.cxButtonSpacing = -1;
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&wrongSize));
    EXPECT_EQ(wrongSize.cxButtonSpacing, -1) << "a record of another size is left alone";
    wrongSize.cyButtonSpacing = 9;
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&wrongSize));
    EXPECT_EQ(spacingOf(toolbar), Spacing(3, 7)) << "and sets nothing";

    TBMETRICS padOnly = record(TBMF_PAD | TBMF_BARPAD);
    padOnly.cxButtonSpacing = -1;
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&padOnly));
    EXPECT_EQ(padOnly.cxButtonSpacing, -1) << "only the members the mask names";
    const DWORD padding = static_cast<DWORD>(SendMessageA(toolbar, TB_GETPADDING, 0, 0));
    EXPECT_EQ(padOnly.cxPad, LOWORD(padding));
    EXPECT_EQ(padOnly.cyPad, HIWORD(padding));
    // Small values: Wine's toolbar caps the padding at the edge size.
    padOnly.cxPad = 1;
    padOnly.cyPad = 0;
    padOnly.cxBarPad = 2;
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&padOnly));
    EXPECT_EQ(SendMessageA(toolbar, TB_GETPADDING, 0, 0), MAKELRESULT(1, 0));
    TBMETRICS all = record(TBMF_PAD | TBMF_BARPAD | TBMF_BUTTONSPACING);
    SendMessageA(toolbar, TB_GETMETRICS, 0, reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(all.cxBarPad, 2);
    EXPECT_EQ(Spacing(all.cxButtonSpacing, all.cyButtonSpacing), Spacing(3, 7));
}

} // namespace
