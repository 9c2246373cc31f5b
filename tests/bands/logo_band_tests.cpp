// The logo walk on real rebars: which "WorkerW" it acts on, that it stops there
// whether or not it changed anything, and that it changes nothing but visibility.
#include <gtest/gtest.h>

#include <vector>

#include "band_helpers.h"
#include "bands/logo_band.h"
#include "sequence_assert.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kLogoBandId;

namespace {

// The rebar messages of one look at a rebar's bands: the count, then every band
// up to and including `lastRead`.
std::vector<Expected> bandScan(HWND rebar, int lastRead) {
    std::vector<Expected> expected{msg(RB_GETBANDCOUNT).on(rebar)};
    for (int i = 0; i <= lastRead; ++i)
        expected.push_back(msg(RB_GETBANDINFOA).on(rebar).wparam(i));
    return expected;
}

std::vector<Expected> withShowBand(std::vector<Expected> scan, HWND rebar, int index, BOOL show) {
    scan.push_back(msg(RB_SHOWBAND).on(rebar).wparam(index).lparam(show));
    return scan;
}

std::vector<HWND> descendantsInWalkOrder(HWND frame) {
    std::vector<HWND> order;
    EnumChildWindows(
        frame,
        [](HWND window, LPARAM list) CALLBACK -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&order));
    return order;
}

int positionOf(const std::vector<HWND>& order, HWND window) {
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == window) return static_cast<int>(i);
    return -1;
}

void expectSameBand(const Band& before, const Band& after, UINT ignoredStyle) {
    SCOPED_TRACE("band " + std::to_string(before.wID));
    EXPECT_EQ(after.wID, before.wID);
    EXPECT_EQ(after.fStyle & ~ignoredStyle, before.fStyle & ~ignoredStyle);
    EXPECT_EQ(after.hwndChild, before.hwndChild);
    EXPECT_EQ(after.text, before.text);
    EXPECT_EQ(after.cxHeader, before.cxHeader);
    EXPECT_EQ(after.cx, before.cx);
    EXPECT_EQ(after.cxMinChild, before.cxMinChild);
    EXPECT_EQ(after.cyMinChild, before.cyMinChild);
    EXPECT_EQ(after.cxIdeal, before.cxIdeal);
    EXPECT_EQ(after.lParam, before.lParam);
}

std::vector<Band> allBands(HWND rebar) {
    std::vector<Band> bands;
    const int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        bands.push_back(readBand(rebar, i));
    return bands;
}

} // namespace

TEST(LogoBand, HidingAndShowingChangeNothingButVisibility) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    setBandText(rebar, kLogoBandId, "Brand");
    const int logo = indexOfBand(rebar, kLogoBandId);
    ASSERT_EQ(logo, 4);
    const std::vector<Band> before = allBands(rebar);
    ASSERT_EQ(before[logo].hwndChild, frame->logoWorker);
    ASSERT_FALSE(before[logo].fStyle & RBBS_HIDDEN);

    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(rebar));
    walkLogoBand(frame->frame, 0);
    std::vector<MessageRecord> records = recorder.records();
    EXPECT_TRUE(sequenceMatches(records, withShowBand(bandScan(rebar, logo), rebar, logo, FALSE)));
    for (const MessageRecord& read : recordsOf(records, RB_GETBANDINFOA)) {
        auto info = read.payloadAs<REBARBANDINFOA>();
        EXPECT_EQ(info.cbSize, sizeof(REBARBANDINFOA));
        EXPECT_EQ(info.fMask, static_cast<UINT>(RBBIM_STYLE | RBBIM_CHILD));
    }

    std::vector<Band> hidden = allBands(rebar);
    ASSERT_EQ(hidden.size(), before.size());
    EXPECT_TRUE(hidden[logo].fStyle & RBBS_HIDDEN);
    expectSameBand(before[logo], hidden[logo], RBBS_HIDDEN);
    for (size_t i = 0; i < before.size(); ++i) {
        if (static_cast<int>(i) == logo) continue;
        SCOPED_TRACE("band " + std::to_string(before[i].wID));
        EXPECT_EQ(hidden[i].fStyle, before[i].fStyle);
        EXPECT_EQ(hidden[i].text, before[i].text);
        EXPECT_EQ(hidden[i].hwndChild, before[i].hwndChild);
        EXPECT_EQ(hidden[i].cxHeader, before[i].cxHeader);
    }

    recorder.clear();
    walkLogoBand(frame->frame, 1);
    EXPECT_TRUE(sequenceMatches(recorder.records(),
                                withShowBand(bandScan(rebar, logo), rebar, logo, TRUE)));
    std::vector<Band> shown = allBands(rebar);
    ASSERT_EQ(shown.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        expectSameBand(before[i], shown[i], 0);
}

TEST(LogoBand, BandAlreadyAsAskedIsNotSentAnythingYetEndsTheWalk) {
    standin::FrameOptions options = frameOptions("MTALG");
    options.secondRebar = true;
    Frame frame(options);
    HWND first = frame->rebar;
    HWND second = frame->secondRebar;
    const int logo = indexOfBand(first, kLogoBandId);
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(first));
    ASSERT_TRUE(recorder.attach(second));

    // Hide: the first logo band is hidden already, the second one is visible.
    showBandByHand(first, kLogoBandId, false);
    recorder.clear();
    walkLogoBand(frame->frame, 0);
    EXPECT_TRUE(sequenceMatches(recorder.records(), bandScan(first, logo)));
    EXPECT_TRUE(bandHidden(first, kLogoBandId));
    EXPECT_FALSE(bandHidden(second, kLogoBandId)) << "the walk went on past the first rebar";

    // Show: the first logo band is visible already, the second one is hidden.
    showBandByHand(first, kLogoBandId, true);
    showBandByHand(second, kLogoBandId, false);
    recorder.clear();
    walkLogoBand(frame->frame, 1);
    EXPECT_TRUE(sequenceMatches(recorder.records(), bandScan(first, logo)));
    EXPECT_FALSE(bandHidden(first, kLogoBandId));
    EXPECT_TRUE(bandHidden(second, kLogoBandId)) << "the walk went on past the first rebar";
}

TEST(LogoBand, OnlyTheFirstOfTwoRebarsIsHandled) {
    standin::FrameOptions options = frameOptions("MTALG");
    options.secondRebar = true;
    Frame frame(options);
    HWND first = frame->rebar;
    HWND second = frame->secondRebar;
    const std::vector<HWND> order = descendantsInWalkOrder(frame->frame);
    ASSERT_LT(positionOf(order, frame->logoWorker), positionOf(order, frame->secondLogoWorker));
    const int logo = indexOfBand(first, kLogoBandId);
    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(first));
    ASSERT_TRUE(recorder.attach(second));

    walkLogoBand(frame->frame, 0);
    EXPECT_TRUE(
        sequenceMatches(recorder.records(), withShowBand(bandScan(first, logo), first, logo, FALSE),
                        MatchMode::Exact, {{first, "first rebar"}, {second, "second rebar"}}));
    EXPECT_TRUE(bandHidden(first, kLogoBandId));
    EXPECT_FALSE(bandHidden(second, kLogoBandId));
}

TEST(LogoBand, WorkerOutsideARebarIsPassedOver) {
    standin::FrameOptions options = frameOptions("MTALG");
    options.strayWorker = true; // a "WorkerW" straight under the frame, met first
    Frame frame(options);
    // A "WorkerW" in a band of a rebar look-alike under the stray one: met next.
    const char* lookAlike = lookAlikeClass(REBARCLASSNAMEA, "ReBarWindow32Ex");
    ASSERT_NE(lookAlike, nullptr);
    HWND fakeRebar = createRebar(frame->strayWorker, lookAlike);
    ASSERT_NE(fakeRebar, nullptr);
    HWND fakeLogo = CreateWindowExA(0, "WorkerW", "", WS_CHILD | WS_VISIBLE, 0, 0, 38, 22,
                                    fakeRebar, nullptr, GetModuleHandleA(nullptr), nullptr);
    insertBand(fakeRebar, kLogoBandId, fakeLogo);
    ASSERT_EQ(bandById(fakeRebar, kLogoBandId).hwndChild, fakeLogo) << "the look-alike is a rebar";

    const std::vector<HWND> order = descendantsInWalkOrder(frame->frame);
    ASSERT_EQ(positionOf(order, frame->strayWorker), 0);
    ASSERT_LT(positionOf(order, fakeLogo), positionOf(order, frame->worker));
    ASSERT_LT(positionOf(order, frame->worker), positionOf(order, frame->logoWorker));

    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(fakeRebar));
    ASSERT_TRUE(recorder.attach(frame->rebar));
    walkLogoBand(frame->frame, 0);
    EXPECT_TRUE(recorder.recordsFor(fakeRebar).empty());
    EXPECT_FALSE(bandHidden(fakeRebar, kLogoBandId));
    EXPECT_TRUE(bandHidden(frame->rebar, kLogoBandId)) << "the later \"WorkerW\" in a rebar";
    EXPECT_EQ(recordsOf(recorder.records(), RB_SHOWBAND).size(), 1u);
}

TEST(LogoBand, RebarWithoutTheWorkerInItsBandsEndsTheWalkUnchanged) {
    standin::FrameOptions options = frameOptions("MTAL"); // no logo band in the first rebar
    options.secondRebar = true;
    Frame frame(options);
    HWND first = frame->rebar;
    HWND second = frame->secondRebar;
    HWND loose = CreateWindowExA(0, "WorkerW", "", WS_CHILD, 0, 0, 10, 10, first, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const std::vector<HWND> order = descendantsInWalkOrder(frame->frame);
    ASSERT_LT(positionOf(order, loose), positionOf(order, frame->secondLogoWorker));
    const std::vector<Band> before = allBands(first);

    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(first));
    ASSERT_TRUE(recorder.attach(second));
    walkLogoBand(frame->frame, 0);
    EXPECT_TRUE(sequenceMatches(recorder.records(), bandScan(first, 3)));
    EXPECT_FALSE(bandHidden(second, kLogoBandId)) << "the walk went on past the first rebar";
    const std::vector<Band> after = allBands(first);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i)
        expectSameBand(before[i], after[i], 0);
}

TEST(LogoBand, RebarWithoutBandsEndsTheWalk) {
    standin::FrameOptions options = frameOptions("");
    options.secondRebar = true;
    Frame frame(options);
    HWND first = frame->rebar;
    ASSERT_EQ(SendMessageA(first, RB_GETBANDCOUNT, 0, 0), 0);
    CreateWindowExA(0, "WorkerW", "", WS_CHILD, 0, 0, 10, 10, first, nullptr,
                    GetModuleHandleA(nullptr), nullptr);

    MessageRecorder recorder(rebarTraffic());
    ASSERT_TRUE(recorder.attach(first));
    ASSERT_TRUE(recorder.attach(frame->secondRebar));
    walkLogoBand(frame->frame, 0);
    EXPECT_TRUE(sequenceMatches(recorder.records(), {msg(RB_GETBANDCOUNT).on(first)}));
    EXPECT_FALSE(bandHidden(frame->secondRebar, kLogoBandId));
}
