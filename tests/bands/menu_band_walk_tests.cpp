// The menu walk: how its parameter picks query, show or hide, what the procedure
// returns in each case and so where a walk stops, and that a query answers from
// its own walk whatever happens to the shared result slot meanwhile.
#include <gtest/gtest.h>

#include <vector>

#include "band_helpers.h"
#include "bands/menu_band.h"
#include "sequence_assert.h"
#include "state/shared_state.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kMenuBandId;

namespace {

constexpr LPARAM kHide = 0x10000;
constexpr LPARAM kShow = 0x10001;
constexpr int kUnset = 7; // a value no walk writes

// A second rebar under the frame's "WorkerW" whose band 1 holds a second toolbar
// that passes every test of the menu band; it comes later in the walk.
struct SecondMenuBand {
    explicit SecondMenuBand(const standin::FrameHandles& frame) {
        rebar = frame.secondRebar;
        toolbar = createMenuLikeToolbar(rebar);
        insertBand(rebar, kMenuBandId, toolbar);
    }
    HWND rebar;
    HWND toolbar;
};

standin::FrameOptions withSecondRebar() {
    standin::FrameOptions options = frameOptions("MTALG");
    options.secondRebar = true;
    return options;
}

} // namespace

TEST(MenuBandWalk, ParameterPicksQueryShowOrHide) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));

    for (LPARAM query : {LPARAM{0}, LPARAM{0xFFFF}}) {
        SCOPED_TRACE(query);
        showBandByHand(rebar, kMenuBandId, true);
        sharedState.menuBandVisible = kUnset;
        EnumChildWindows(frame->frame, menuBandProc, query);
        EXPECT_EQ(sharedState.menuBandVisible, 1);
        showBandByHand(rebar, kMenuBandId, false);
        recorder.clear();
        sharedState.menuBandVisible = kUnset;
        EnumChildWindows(frame->frame, menuBandProc, query);
        EXPECT_EQ(sharedState.menuBandVisible, 0);
        EXPECT_TRUE(bandHidden(rebar, kMenuBandId));
        EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());
    }

    // Show and hide leave the result slot alone.
    sharedState.menuBandVisible = kUnset;
    recorder.clear();
    EnumChildWindows(frame->frame, menuBandProc, kShow);
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));
    EnumChildWindows(frame->frame, menuBandProc, kHide);
    EXPECT_TRUE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(sharedState.menuBandVisible, kUnset);
    const int menu = indexOfBand(rebar, kMenuBandId);
    EXPECT_TRUE(sequenceMatches(recordsOf(recorder.records(), RB_SHOWBAND),
                                {msg(RB_SHOWBAND).on(rebar).wparam(menu).lparam(TRUE),
                                 msg(RB_SHOWBAND).on(rebar).wparam(menu).lparam(FALSE)}));
}

TEST(MenuBandWalk, ProcedureResultSaysWhetherTheWalkGoesOn) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    HWND menu = frame->menuToolbar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));

    for (HWND other : {frame->mainToolbar, frame->linksToolbar, rebar, frame->worker,
                       frame->logoWorker, frame->content})
        for (LPARAM param : {LPARAM{0}, kShow, kHide})
            EXPECT_EQ(menuBandProc(other, param), TRUE) << other << " " << param;
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());

    EXPECT_EQ(menuBandProc(menu, 0), FALSE) << "query answered";
    EXPECT_EQ(menuBandProc(menu, kShow), FALSE) << "already visible";
    EXPECT_TRUE(recordsOf(recorder.records(), RB_SHOWBAND).empty());
    EXPECT_EQ(menuBandProc(menu, kHide), TRUE) << "hidden now, further bands may follow";
    EXPECT_TRUE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(menuBandProc(menu, 0), FALSE) << "query answered";
    EXPECT_EQ(menuBandProc(menu, kHide), FALSE) << "already hidden";
    EXPECT_EQ(menuBandProc(menu, kShow), TRUE) << "shown now, further bands may follow";
    EXPECT_FALSE(bandHidden(rebar, kMenuBandId));
    EXPECT_EQ(recordsOf(recorder.records(), RB_SHOWBAND).size(), 2u);
}

TEST(MenuBandWalk, ChangingGoesOnToAFurtherMenuBandWhileQueriesAndNoChangeStop) {
    Frame frame(withSecondRebar());
    SecondMenuBand second(frame.handles);
    HWND first = frame->rebar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(first));
    ASSERT_TRUE(recorder.attach(second.rebar));

    EXPECT_EQ(queryMenuBand(frame->frame), 1);
    EXPECT_TRUE(recorder.recordsFor(second.rebar).empty()) << "a query stops at the first band";

    showMenuBand(frame->frame, 0);
    EXPECT_TRUE(bandHidden(first, kMenuBandId));
    EXPECT_TRUE(bandHidden(second.rebar, kMenuBandId)) << "a hide goes on after a change";
    showMenuBand(frame->frame, 1);
    EXPECT_FALSE(bandHidden(first, kMenuBandId));
    EXPECT_FALSE(bandHidden(second.rebar, kMenuBandId)) << "a show goes on after a change";

    // The first band already as asked ends the walk before the second.
    showBandByHand(second.rebar, kMenuBandId, false);
    recorder.clear();
    showMenuBand(frame->frame, 1);
    EXPECT_TRUE(recorder.recordsFor(second.rebar).empty());
    EXPECT_TRUE(bandHidden(second.rebar, kMenuBandId));
    showBandByHand(first, kMenuBandId, false);
    showBandByHand(second.rebar, kMenuBandId, true);
    recorder.clear();
    showMenuBand(frame->frame, 0);
    EXPECT_TRUE(recorder.recordsFor(second.rebar).empty());
    EXPECT_FALSE(bandHidden(second.rebar, kMenuBandId));
}

TEST(MenuBandWalk, ReadsEveryBandFieldIntoAFullSizeRecord) {
    Frame frame(frameOptions("TAMLG")); // the menu band third
    HWND rebar = frame->rebar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));
    EXPECT_EQ(queryMenuBand(frame->frame), 1);
    std::vector<MessageRecord> records = recorder.records();
    EXPECT_TRUE(
        sequenceMatches(records, {msg(RB_GETBANDCOUNT).on(rebar), msg(RB_GETBANDINFOA).wparam(0),
                                  msg(RB_GETBANDINFOA).wparam(1), msg(RB_GETBANDINFOA).wparam(2)}));
    for (const MessageRecord& read : recordsOf(records, RB_GETBANDINFOA)) {
        auto info = read.payloadAs<REBARBANDINFOA>();
        EXPECT_EQ(info.cbSize, sizeof(REBARBANDINFOA));
        EXPECT_EQ(info.fMask, 0xFFFu);
        EXPECT_EQ(info.cch, 4096u);
        EXPECT_NE(info.lpText, nullptr);
    }
}

TEST(MenuBandWalk, QueryOnAFrameWithoutAMenuBandIsZero) {
    Frame frame(frameOptions("TALG"));
    sharedState.menuBandVisible = 1;
    EXPECT_EQ(queryMenuBand(frame->frame), 0);
    Frame empty(frameOptions(""));
    EXPECT_EQ(queryMenuBand(empty->frame), 0);
}

// Another process may query at the same moment and write the shared slot; the
// rebar's band reads are where this query can be overtaken.
TEST(MenuBandWalk, QueryAnswersFromItsOwnWalkWhateverTheSharedSlotSays) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));
    int wrong = 0;
    int reads = 0;
    recorder.before(rebar, RB_GETBANDINFOA, [&](const MessageRecord&) {
        sharedState.menuBandVisible = wrong;
        ++reads;
    });

    wrong = 0;
    EXPECT_EQ(queryMenuBand(frame->frame), 1) << "visible band";
    showBandByHand(rebar, kMenuBandId, false);
    wrong = 1;
    EXPECT_EQ(queryMenuBand(frame->frame), 0) << "hidden band";

    // No menu band: the candidate's band has another id, so the walk reads bands
    // and then finds nothing to answer with.
    showBandByHand(rebar, kMenuBandId, true);
    setBandId(rebar, kMenuBandId, 7);
    reads = 0;
    wrong = 1;
    EXPECT_EQ(queryMenuBand(frame->frame), 0) << "no menu band";
    EXPECT_GT(reads, 0) << "the walk looked at the bands";
}
