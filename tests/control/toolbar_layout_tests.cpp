// Re-laying out a stand-in frame's main toolbar and refitting its rebar band: the
// messages in order with their records, the band sizes read back from the rebar,
// the cases that leave the band alone, and busy held while the library lays out.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>

#include "bands/dropdown_arrows.h"
#include "bands/toolbar_layout.h"
#include "control_test_util.h"
#include "pump.h"
#include "sequence_assert.h"
#include "state/process_state.h"
#include "state/shared_state.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MatchMode;
using tarvik::test::MessageRecorder;
using tarvik::test::msg;
using tarvik::test::sequenceMatches;

namespace {

constexpr UINT kFitMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;

constexpr char kShellButtons[] = "A D B S B B S W";

// `visible` where a test looks for WM_PAINT: hidden windows are not painted.
standin::FrameOptions withButtons(const char* buttons, bool visible = false) {
    standin::FrameOptions options = frameOf(standin::FrameClass::Explorer, visible);
    std::strncpy(options.buttons, buttons, sizeof options.buttons - 1);
    return options;
}

RecorderConfig layoutTraffic() {
    RecorderConfig config;
    config.skipNoise = false; // WM_PAINT tells what was repainted
    for (UINT message :
         {TB_SETBUTTONWIDTH, TB_GETIDEALSIZE, TB_BUTTONCOUNT, TB_GETITEMRECT, TB_SETBUTTONINFOA,
          TB_SETMETRICS, RB_GETBANDCOUNT, RB_GETBANDINFOA, RB_IDTOINDEX, RB_SETBANDINFOA, WM_PAINT})
        config.recordOnly(message);
    return config;
}

// What the library sent itself, not what the controls sent each other meanwhile.
std::vector<MessageRecord> direct(const std::vector<MessageRecord>& records) {
    std::vector<MessageRecord> top;
    for (const MessageRecord& record : records)
        if (record.depth == 0) top.push_back(record);
    return top;
}

RECT itemRect(HWND toolbar, int position) {
    RECT rect{};
    SendMessageA(toolbar, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int bandIndex(HWND rebar, UINT id) {
    return static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
}

void setBandSizes(HWND rebar, int index, UINT cxMin, UINT cyMin, UINT cxIdeal) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = kFitMask;
    band.cxMinChild = cxMin;
    band.cyMinChild = cyMin;
    band.cxIdeal = cxIdeal;
    SendMessageA(rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
}

// The record fitBandToToolbar must send for this toolbar, every other field zero.
REBARBANDINFOA expectedFit(HWND toolbar) {
    const int buttons = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    const RECT first = itemRect(toolbar, 0);
    const RECT last = itemRect(toolbar, buttons - 1);
    REBARBANDINFOA fit;
    std::memset(&fit, 0, sizeof fit);
    fit.cbSize = sizeof fit;
    fit.fMask = kFitMask;
    fit.cxMinChild = first.right;
    fit.cyMinChild = first.bottom - first.top;
    fit.cxIdeal = last.right;
    return fit;
}

// Paints everything pending, so that a later WM_PAINT comes from the code under test.
void settlePaint(HWND frame) {
    RedrawWindow(frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    tarvik::test::pumpPending();
}

class ToolbarLayout : public ::testing::Test {
  protected:
    void attach(const Frame& f) {
        ASSERT_TRUE(recorder.attach(f->mainToolbar));
        ASSERT_TRUE(recorder.attach(f->rebar));
    }
    MessageRecorder recorder{layoutTraffic()};
};

TEST_F(ToolbarLayout, RelayoutSendsTwoWidthLimitsThenAnIdealSizeQuery) {
    for (const char* buttons : {kShellButtons, ""}) {
        SCOPED_TRACE(std::string("buttons \"") + buttons + "\"");
        Frame f(withButtons(buttons));
        attach(f);
        recorder.clear();
        relayoutToolbar(f->mainToolbar);
        const std::vector<MessageRecord> records = direct(recorder.records());
        EXPECT_TRUE(sequenceMatches(
            records,
            {msg(TB_SETBUTTONWIDTH).on(f->mainToolbar).wparam(0).lparam(MAKELPARAM(0, 10)),
             msg(TB_SETBUTTONWIDTH).on(f->mainToolbar).wparam(0).lparam(MAKELPARAM(0, 300)),
             msg(TB_GETIDEALSIZE).on(f->mainToolbar).wparam(FALSE)},
            MatchMode::Exact));
        ASSERT_EQ(records.size(), 3u);
        ASSERT_EQ(records[2].payloadBytes, sizeof(SIZE));
        const SIZE asked = records[2].payloadAs<SIZE>();
        EXPECT_EQ(asked.cx, 0);
        EXPECT_EQ(asked.cy, 0);
        EXPECT_FALSE(isBusy());
        recorder.detachAll();
    }
}

TEST_F(ToolbarLayout, FitSizesTheBandFromTheFirstAndLastButtons) {
    Frame f(withButtons(kShellButtons, true));
    attach(f);
    const int index = bandIndex(f->rebar, standin::kToolbarBandId);
    ASSERT_EQ(index, 1) << "bands M T A L G";
    setBandSizes(f->rebar, index, 5, 9, 11);
    const REBARBANDINFOA expected = expectedFit(f->mainToolbar);
    ASSERT_GT(expected.cxIdeal, expected.cxMinChild) << "first and last buttons must differ";
    settlePaint(f->frame);
    recorder.clear();

    fitBandToToolbar(f->mainToolbar);

    const std::vector<MessageRecord> records = direct(recorder.records());
    EXPECT_TRUE(sequenceMatches(
        records,
        {msg(RB_GETBANDCOUNT).on(f->rebar), msg(RB_GETBANDINFOA).on(f->rebar).wparam(0),
         msg(RB_GETBANDINFOA).on(f->rebar).wparam(1),
         msg(RB_IDTOINDEX).on(f->rebar).wparam(standin::kToolbarBandId),
         msg(TB_BUTTONCOUNT).on(f->mainToolbar).maybe(),
         msg(TB_GETITEMRECT).on(f->mainToolbar).many(),
         msg(RB_SETBANDINFOA).on(f->rebar).wparam(index), msg(WM_PAINT).on(f->rebar).many(),
         msg(WM_PAINT).on(f->mainToolbar).many()},
        MatchMode::Exact));
    // TB_GETITEMRECT has the same number: the rebar's records only. The search reads
    // each band's sizes with it, to compare them with the fit.
    for (const MessageRecord& record :
         withMessage(recordsFor(records, f->rebar), RB_GETBANDINFOA)) {
        const auto asked = record.payloadAs<REBARBANDINFOA>();
        EXPECT_EQ(asked.fMask, static_cast<UINT>(RBBIM_STYLE | RBBIM_CHILD | RBBIM_ID | kFitMask));
        EXPECT_EQ(asked.cbSize, sizeof(REBARBANDINFOA));
    }
    const std::vector<MessageRecord> sets =
        withMessage(recordsFor(records, f->rebar), RB_SETBANDINFOA);
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].payloadBytes, sizeof(REBARBANDINFOA));
    const auto sent = sets[0].payloadAs<REBARBANDINFOA>();
    EXPECT_EQ(sent.cxMinChild, expected.cxMinChild);
    EXPECT_EQ(sent.cyMinChild, expected.cyMinChild);
    EXPECT_EQ(sent.cxIdeal, expected.cxIdeal);
    EXPECT_EQ(std::memcmp(&sent, &expected, sizeof sent), 0) << "every other field must be 0";

    const standin::BandRecord band =
        bandWithId(standin::snapshotBands(f->rebar), standin::kToolbarBandId);
    EXPECT_EQ(band.cxMinChild, expected.cxMinChild);
    EXPECT_EQ(band.cyMinChild, expected.cyMinChild);
    EXPECT_EQ(band.cxIdeal, expected.cxIdeal);
    EXPECT_FALSE(isBusy());

    // Fitted already: neither written nor repainted.
    settlePaint(f->frame);
    recorder.clear();
    fitBandToToolbar(f->mainToolbar);
    EXPECT_TRUE(withMessage(recorder.records(), RB_SETBANDINFOA).empty());
    EXPECT_TRUE(withMessage(recorder.records(), WM_PAINT).empty());
}

TEST_F(ToolbarLayout, FitLeavesTheBandOfAToolbarWithoutButtonsAlone) {
    Frame f(withButtons("", true));
    attach(f);
    ASSERT_EQ(SendMessageA(f->mainToolbar, TB_BUTTONCOUNT, 0, 0), 0);
    const int index = bandIndex(f->rebar, standin::kToolbarBandId);
    setBandSizes(f->rebar, index, 5, 9, 11);
    const standin::BandRecord before =
        bandWithId(standin::snapshotBands(f->rebar), standin::kToolbarBandId);
    settlePaint(f->frame);
    recorder.clear();

    fitBandToToolbar(f->mainToolbar);

    EXPECT_TRUE(withMessage(recordsFor(recorder.records(), f->rebar), RB_SETBANDINFOA).empty());
    EXPECT_TRUE(withMessage(recorder.records(), WM_PAINT).empty());
    const standin::BandRecord after =
        bandWithId(standin::snapshotBands(f->rebar), standin::kToolbarBandId);
    EXPECT_EQ(after.cxMinChild, before.cxMinChild);
    EXPECT_EQ(after.cyMinChild, before.cyMinChild);
    EXPECT_EQ(after.cxIdeal, before.cxIdeal);
    EXPECT_EQ(after.cx, before.cx);
}

TEST_F(ToolbarLayout, FitOnAToolbarNoBandHoldsChangesAndRepaintsNothing) {
    Frame f(withButtons(kShellButtons, true));
    HWND loose = CreateWindowExA(
        0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
        0, 200, 30, f->rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xA000)),
        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(loose, nullptr);
    SendMessageA(loose, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[2] = {};
    buttons[0].idCommand = 0x100;
    buttons[1].idCommand = 0x101;
    buttons[0].fsState = buttons[1].fsState = TBSTATE_ENABLED;
    SendMessageA(loose, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(buttons));
    ASSERT_TRUE(recorder.attach(loose));
    ASSERT_TRUE(recorder.attach(f->rebar));
    ASSERT_TRUE(recorder.attach(f->mainToolbar));
    const std::vector<standin::BandRecord> before = standin::snapshotBands(f->rebar);
    settlePaint(f->frame);
    recorder.clear();

    fitBandToToolbar(loose);

    const std::vector<MessageRecord> records = recorder.records();
    EXPECT_TRUE(withMessage(recordsFor(records, f->rebar), RB_IDTOINDEX).empty());
    EXPECT_TRUE(withMessage(recordsFor(records, f->rebar), RB_SETBANDINFOA).empty());
    EXPECT_TRUE(withMessage(records, WM_PAINT).empty());
    EXPECT_FALSE(GetUpdateRect(f->rebar, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(loose, nullptr, FALSE));
    EXPECT_EQ(withMessage(recordsFor(records, f->rebar), RB_GETBANDINFOA).size(), before.size())
        << "every band asked";
    const std::vector<standin::BandRecord> after = standin::snapshotBands(f->rebar);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].cxMinChild, before[i].cxMinChild) << "band " << i;
        EXPECT_EQ(after[i].cyMinChild, before[i].cyMinChild) << "band " << i;
        EXPECT_EQ(after[i].cxIdeal, before[i].cxIdeal) << "band " << i;
    }
}

TEST_F(ToolbarLayout, AnEarlierBandWithTheSameIdIsTheOneResized) {
    Frame f(withButtons(kShellButtons));
    HWND filler = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, f->rebar,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_ID | RBBIM_CHILDSIZE | RBBIM_IDEALSIZE | RBBIM_SIZE;
    band.hwndChild = filler;
    band.wID = standin::kToolbarBandId;
    band.cxMinChild = 13;
    band.cyMinChild = 17;
    band.cxIdeal = 19;
    band.cx = 60;
    ASSERT_TRUE(SendMessageA(f->rebar, RB_INSERTBANDA, 0, reinterpret_cast<LPARAM>(&band)));
    ASSERT_EQ(bandIndex(f->rebar, standin::kToolbarBandId), 0);
    const std::vector<standin::BandRecord> before = standin::snapshotBands(f->rebar);
    ASSERT_EQ(before[2].hwndChild, f->mainToolbar);
    const REBARBANDINFOA expected = expectedFit(f->mainToolbar);
    attach(f);

    fitBandToToolbar(f->mainToolbar);

    const std::vector<MessageRecord> sets =
        withMessage(recordsFor(direct(recorder.records()), f->rebar), RB_SETBANDINFOA);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].wParam, 0u) << "the index the rebar gives for the id, not the search's";
    const std::vector<standin::BandRecord> after = standin::snapshotBands(f->rebar);
    EXPECT_EQ(after[0].hwndChild, filler);
    EXPECT_EQ(after[0].cxMinChild, expected.cxMinChild);
    EXPECT_EQ(after[0].cyMinChild, expected.cyMinChild);
    EXPECT_EQ(after[0].cxIdeal, expected.cxIdeal);
    EXPECT_EQ(after[2].cxMinChild, before[2].cxMinChild) << "the toolbar's own band is untouched";
    EXPECT_EQ(after[2].cyMinChild, before[2].cyMinChild);
    EXPECT_EQ(after[2].cxIdeal, before[2].cxIdeal);
}

TEST_F(ToolbarLayout, TheWalkRestylesThenRelaysOutThenRefits) {
    std::memset(sharedState.dropdownTouched, 0, sizeof sharedState.dropdownTouched);
    Frame f(withButtons(kShellButtons));
    attach(f);
    const int index = bandIndex(f->rebar, standin::kToolbarBandId);
    recorder.clear();
    walkDropdowns(f->frame, 0);
    const std::vector<MessageRecord> records = direct(recorder.records());
    // Wine's toolbar reports no spacing, which is what hidden arrows ask: none is written.
    EXPECT_TRUE(withMessage(records, TB_SETMETRICS).empty());
    EXPECT_TRUE(sequenceMatches(
        records,
        {msg(TB_SETBUTTONINFOA).on(f->mainToolbar).many(),
         msg(TB_SETBUTTONWIDTH).on(f->mainToolbar).lparam(MAKELPARAM(0, 10)),
         msg(TB_SETBUTTONWIDTH).on(f->mainToolbar).lparam(MAKELPARAM(0, 300)),
         msg(TB_GETIDEALSIZE).on(f->mainToolbar), msg(RB_SETBANDINFOA).on(f->rebar).wparam(index)},
        MatchMode::InOrder));
    // The band fits the toolbar as the arrows left it.
    const REBARBANDINFOA expected = expectedFit(f->mainToolbar);
    const standin::BandRecord band =
        bandWithId(standin::snapshotBands(f->rebar), standin::kToolbarBandId);
    EXPECT_EQ(band.cxIdeal, expected.cxIdeal);
    EXPECT_EQ(band.cxMinChild, expected.cxMinChild);

    // Walked again with nothing to change: no write and no re-layout.
    recorder.clear();
    walkDropdowns(f->frame, 0);
    for (UINT setter : {TB_SETBUTTONINFOA, TB_SETMETRICS, TB_SETBUTTONWIDTH, RB_SETBANDINFOA})
        EXPECT_TRUE(withMessage(recorder.records(), setter).empty())
            << tarvik::test::messageName(setter);
}

// The rebar notifies on every change; while the library lays out, busy keeps those
// notifications from arming the re-apply timer.
TEST_F(ToolbarLayout, BusyIsHeldWhileTheLibraryChangesTheToolbarOrItsBand) {
    std::memset(sharedState.dropdownTouched, 0, sizeof sharedState.dropdownTouched);
    Frame f(withButtons(kShellButtons));
    attach(f);
    std::vector<std::pair<UINT, bool>> seen;
    auto watch = [&](HWND window, UINT message) {
        recorder.before(window, message, [&seen](const MessageRecord& record) {
            if (record.depth == 0) seen.emplace_back(record.message, isBusy());
        });
    };
    for (UINT message : {TB_SETBUTTONINFOA, TB_SETMETRICS, TB_SETBUTTONWIDTH, TB_GETIDEALSIZE})
        watch(f->mainToolbar, message);
    watch(f->rebar, RB_SETBANDINFOA);
    walkDropdowns(f->frame, 0);
    EXPECT_FALSE(isBusy()) << "released afterwards";
    ASSERT_FALSE(seen.empty());
    bool refitted = false;
    for (const auto& [message, busy] : seen) {
        EXPECT_TRUE(busy) << tarvik::test::messageName(message) << " sent while not busy";
        refitted |= message == RB_SETBANDINFOA;
    }
    EXPECT_TRUE(refitted);
}

} // namespace
