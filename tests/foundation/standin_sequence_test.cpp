// The sequence matcher: which fields count, optional and repeated entries, the
// two modes, and a report that names messages and shows where matching stopped.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include "sequence.h"

using namespace tarvik::test;

namespace {

HWND fakeWindow(std::uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

MessageRecord record(UINT message, HWND window = nullptr, WPARAM wParam = 0, UINT code = 0) {
    MessageRecord r{};
    r.message = message;
    r.hwnd = window;
    r.wParam = wParam;
    r.notifyCode = code;
    return r;
}

const HWND kRebar = fakeWindow(0x100);
const HWND kWorker = fakeWindow(0x200);
const UINT kChildSize = static_cast<UINT>(RBN_CHILDSIZE);
const UINT kHeightChange = static_cast<UINT>(RBN_HEIGHTCHANGE);

} // namespace

TEST(StandinSequence, FieldsCountOnlyWhenNamed) {
    std::vector<MessageRecord> recorded = {record(WM_SIZE, kRebar, 3)};
    EXPECT_TRUE(matchSequence(recorded, {msg(WM_SIZE)}));
    EXPECT_TRUE(matchSequence(recorded, {msg(WM_SIZE).on(kRebar).wparam(3)}));
    EXPECT_FALSE(matchSequence(recorded, {msg(WM_SIZE).wparam(4)}));
    EXPECT_FALSE(matchSequence(recorded, {msg(WM_SIZE).on(kWorker)}));
    EXPECT_FALSE(matchSequence(recorded, {msg(WM_MOVE)}));
    std::vector<MessageRecord> notified = {record(WM_NOTIFY, kWorker, 0, kChildSize)};
    EXPECT_TRUE(matchSequence(notified, {notification(RBN_CHILDSIZE)}));
    EXPECT_FALSE(matchSequence(notified, {notification(RBN_HEIGHTCHANGE)}));
}

TEST(StandinSequence, OptionalAndRepeatedEntries) {
    std::vector<Expected> expected = {msg(WM_SIZE), notification(RBN_CHILDSIZE).many(),
                                      notification(RBN_HEIGHTCHANGE).maybe(), msg(WM_MOVE)};
    std::vector<MessageRecord> three = {record(WM_SIZE), record(WM_NOTIFY, kWorker, 0, kChildSize),
                                        record(WM_NOTIFY, kWorker, 0, kChildSize),
                                        record(WM_NOTIFY, kWorker, 0, kChildSize), record(WM_MOVE)};
    EXPECT_TRUE(matchSequence(three, expected));
    std::vector<MessageRecord> withOptional = {
        record(WM_SIZE), record(WM_NOTIFY, kWorker, 0, kChildSize),
        record(WM_NOTIFY, kWorker, 0, kHeightChange), record(WM_MOVE)};
    EXPECT_TRUE(matchSequence(withOptional, expected));
    // A repeated entry still needs one occurrence unless it is optional too.
    std::vector<MessageRecord> none = {record(WM_SIZE), record(WM_MOVE)};
    EXPECT_FALSE(matchSequence(none, expected));
    expected[1].maybe();
    EXPECT_TRUE(matchSequence(none, expected));
}

TEST(StandinSequence, ExactRejectsWhatInOrderSkips) {
    std::vector<MessageRecord> recorded = {record(WM_SIZE), record(WM_TIMER), record(WM_MOVE)};
    std::vector<Expected> expected = {msg(WM_SIZE), msg(WM_MOVE)};
    EXPECT_FALSE(matchSequence(recorded, expected, MatchMode::Exact));
    EXPECT_TRUE(matchSequence(recorded, expected, MatchMode::InOrder));
    // Order still counts in both modes.
    EXPECT_FALSE(matchSequence(recorded, {msg(WM_MOVE), msg(WM_SIZE)}, MatchMode::InOrder));
}

TEST(StandinSequence, ReportShowsBothSequencesByName) {
    std::vector<MessageRecord> recorded = {record(WM_SIZE, kRebar),
                                           record(WM_NOTIFY, kWorker, 0, kHeightChange)};
    SequenceMatch match =
        matchSequence(recorded, {msg(WM_SIZE).on(kRebar), notification(RBN_CHILDSIZE).on(kWorker)},
                      MatchMode::Exact, {{kRebar, "rebar"}, {kWorker, "worker"}});
    ASSERT_FALSE(match);
    const std::string& report = match.report;
    EXPECT_NE(report.find("1 of 2 expected entries matched"), std::string::npos) << report;
    EXPECT_NE(report.find(" >> 1  WM_NOTIFY RBN_CHILDSIZE to worker"), std::string::npos) << report;
    EXPECT_NE(report.find(" >> 1  WM_NOTIFY RBN_HEIGHTCHANGE to worker"), std::string::npos)
        << report;
    EXPECT_NE(report.find("    0  WM_SIZE to rebar"), std::string::npos) << report;

    // Surplus records are pointed at too.
    SequenceMatch surplus = matchSequence(recorded, {msg(WM_SIZE)});
    EXPECT_NE(surplus.report.find("then unexpected record #1"), std::string::npos)
        << surplus.report;
}
