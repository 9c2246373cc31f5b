// Drop-down arrows on the main toolbar of stand-in frames: styles read back from
// the toolbar, the marks per frame kind and position in the shared block, the
// style and spacing records the library sends (Wine's toolbar ignores
// TB_GETMETRICS/TB_SETMETRICS, so the records are checked as sent, with the
// spacing a Windows toolbar would answer supplied before the toolbar sees the query).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <memory>

#include "bands/dropdown_arrows.h"
#include "control_test_util.h"
#include "sequence_assert.h"
#include "state/process_state.h"
#include "state/shared_state.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;
using tarvik::test::sequenceMatches;

namespace {

constexpr BYTE kArrow = BTNS_DROPDOWN;
constexpr BYTE kArrowAndAutosize = BTNS_DROPDOWN | BTNS_AUTOSIZE;
// The spacing the toolbar reports; distinct, so a copy of one into the other shows.
constexpr int kReportedCx = 3;
constexpr int kReportedCy = 7;

using Row = std::vector<int>;

Row markRow(int row) {
    return Row(sharedState.dropdownTouched[row], sharedState.dropdownTouched[row] + kIconSlots);
}

Row marksAt(std::initializer_list<int> positions) {
    Row row(kIconSlots, 0);
    for (int position : positions)
        row[position] = 1;
    return row;
}

standin::FrameOptions withButtons(FrameClass frameClass, const char* buttons) {
    standin::FrameOptions options = frameOf(frameClass);
    std::strncpy(options.buttons, buttons, sizeof options.buttons - 1);
    return options;
}

RecorderConfig toolbarTraffic() {
    RecorderConfig config;
    for (UINT message : {TB_GETBUTTON, TB_GETBUTTONINFOA, TB_SETBUTTONINFOA, TB_GETMETRICS,
                         TB_SETMETRICS, TB_SETBUTTONWIDTH, TB_GETIDEALSIZE})
        config.recordOnly(message);
    return config;
}

TBBUTTON buttonAt(HWND toolbar, int position) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
    return button;
}

TBBUTTON plainButton(int command, BYTE style) {
    TBBUTTON button{};
    button.idCommand = command;
    button.fsStyle = style;
    button.fsState = (style & BTNS_SEP) ? 0 : TBSTATE_ENABLED;
    button.iString = -1;
    return button;
}

bool insertButton(HWND toolbar, int position, const TBBUTTON& button) {
    return SendMessageA(toolbar, TB_INSERTBUTTONA, position, reinterpret_cast<LPARAM>(&button)) !=
           0;
}

class DropdownArrows : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(sharedState.dropdownTouched, 0, sizeof sharedState.dropdownTouched);
    }

    // A frame of this thread whose main toolbar is recorded and answers TB_GETMETRICS.
    Frame& frame(FrameClass frameClass, const char* buttons) {
        frames_.push_back(std::make_unique<Frame>(withButtons(frameClass, buttons)));
        Frame& made = *frames_.back();
        EXPECT_NE(made->mainToolbar, nullptr);
        EXPECT_TRUE(recorder.attach(made->mainToolbar));
        recorder.before(made->mainToolbar, TB_GETMETRICS, [](const MessageRecord& record) {
            auto* metrics = reinterpret_cast<TBMETRICS*>(record.lParam);
            if (metrics->dwMask & TBMF_BUTTONSPACING) {
                metrics->cxButtonSpacing = kReportedCx;
                metrics->cyButtonSpacing = kReportedCy;
            }
        });
        return made;
    }

    std::vector<MessageRecord> sent(HWND toolbar, UINT message) const {
        return withMessage(recordsFor(recorder.records(), toolbar), message);
    }

    // The style records sent to the toolbar: command id and the style written.
    std::vector<std::pair<int, BYTE>> styleWrites(HWND toolbar) const {
        std::vector<std::pair<int, BYTE>> writes;
        for (const MessageRecord& record : sent(toolbar, TB_SETBUTTONINFOA)) {
            const auto info = record.payloadAs<TBBUTTONINFOA>();
            EXPECT_EQ(info.cbSize, sizeof(TBBUTTONINFOA));
            EXPECT_EQ(info.dwMask, static_cast<DWORD>(TBIF_STYLE)) << "only the style is written";
            writes.emplace_back(static_cast<int>(record.wParam), info.fsStyle);
        }
        return writes;
    }

    // The one spacing record sent to the toolbar, after its one query.
    TBMETRICS spacingWrite(HWND toolbar) const {
        const std::vector<MessageRecord> queries = sent(toolbar, TB_GETMETRICS);
        const std::vector<MessageRecord> writes = sent(toolbar, TB_SETMETRICS);
        EXPECT_EQ(queries.size(), 1u);
        EXPECT_EQ(writes.size(), 1u);
        if (queries.empty() || writes.empty()) return TBMETRICS{};
        const auto query = queries[0].payloadAs<TBMETRICS>();
        EXPECT_EQ(query.cbSize, sizeof(TBMETRICS));
        EXPECT_EQ(query.dwMask, static_cast<DWORD>(TBMF_BUTTONSPACING));
        EXPECT_LT(queries[0].index, writes[0].index);
        const auto write = writes[0].payloadAs<TBMETRICS>();
        EXPECT_EQ(write.cbSize, sizeof(TBMETRICS));
        EXPECT_EQ(write.dwMask, static_cast<DWORD>(TBMF_BUTTONSPACING));
        EXPECT_EQ(writes[0].wParam, 0u);
        return write;
    }

    MessageRecorder recorder{toolbarTraffic()};

  private:
    std::vector<std::unique_ptr<Frame>> frames_;
};

TEST_F(DropdownArrows, HidingClearsOnlyTheArrowBitAndMarksTheDropdownPositions) {
    // A: arrow + autosize, D: arrow, S: separator, W: whole drop-down (no arrow bit).
    Frame& f = frame(FrameClass::Explorer, "A D B S B B S W");
    const std::vector<BYTE> before = stylesOf(f->mainToolbar);
    ASSERT_EQ(before.size(), 8u);
    ASSERT_EQ(before[0] & kArrowAndAutosize, kArrowAndAutosize);
    recorder.clear();

    setDropdownArrows(f->mainToolbar, 0);

    // Every button was read once, by position, and not asked again by command id.
    std::vector<WPARAM> read;
    for (const MessageRecord& record : sent(f->mainToolbar, TB_GETBUTTON))
        read.push_back(record.wParam);
    EXPECT_EQ(read, (std::vector<WPARAM>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(sent(f->mainToolbar, TB_GETBUTTONINFOA).empty());
    std::vector<BYTE> expected = before;
    expected[0] = static_cast<BYTE>(before[0] & ~kArrow);
    expected[1] = static_cast<BYTE>(before[1] & ~kArrow);
    EXPECT_EQ(stylesOf(f->mainToolbar), expected) << "autosize and every other bit stay";
    EXPECT_EQ(markRow(0), marksAt({0, 1}));
    EXPECT_EQ(markRow(1), marksAt({}));
    const int first = standin::kFirstButtonCommand;
    EXPECT_EQ(styleWrites(f->mainToolbar),
              (std::vector<std::pair<int, BYTE>>{{first, expected[0]}, {first + 1, expected[1]}}))
        << "addressed by command id";
    const TBMETRICS spacing = spacingWrite(f->mainToolbar);
    EXPECT_EQ(spacing.cxButtonSpacing, 0);
    EXPECT_EQ(spacing.cyButtonSpacing, 0);
    EXPECT_FALSE(isBusy());
}

TEST_F(DropdownArrows, ShowingGivesArrowAndAutosizeBackAtMarkedPositions) {
    Frame& f = frame(FrameClass::Explorer, "A D B S B B S W");
    const std::vector<BYTE> before = stylesOf(f->mainToolbar);
    setDropdownArrows(f->mainToolbar, 0);
    recorder.clear();

    setDropdownArrows(f->mainToolbar, 1);

    std::vector<BYTE> expected = before;
    expected[0] = static_cast<BYTE>(before[0] | kArrowAndAutosize);
    expected[1] = static_cast<BYTE>(before[1] | kArrowAndAutosize);
    EXPECT_EQ(stylesOf(f->mainToolbar), expected) << "the plain D gains autosize";
    EXPECT_EQ(styleWrites(f->mainToolbar).size(), 2u);
    const TBMETRICS spacing = spacingWrite(f->mainToolbar);
    EXPECT_EQ(spacing.cxButtonSpacing, kReportedCy) << "the vertical spacing goes across";
    EXPECT_EQ(spacing.cyButtonSpacing, kReportedCy);
    EXPECT_EQ(markRow(0), marksAt({0, 1}));
}

TEST_F(DropdownArrows, ShowingOnAFreshToolbarMarksAndWidensItsDropdowns) {
    Frame& f = frame(FrameClass::Browser, "B D S D P");
    const std::vector<BYTE> before = stylesOf(f->mainToolbar);
    setDropdownArrows(f->mainToolbar, 1);
    std::vector<BYTE> expected = before;
    expected[1] = static_cast<BYTE>(before[1] | kArrowAndAutosize);
    expected[3] = static_cast<BYTE>(before[3] | kArrowAndAutosize);
    EXPECT_EQ(stylesOf(f->mainToolbar), expected);
    EXPECT_EQ(markRow(1), marksAt({1, 3}));
    EXPECT_EQ(markRow(0), marksAt({}));
    const TBMETRICS spacing = spacingWrite(f->mainToolbar);
    EXPECT_EQ(spacing.cxButtonSpacing, kReportedCy);
    EXPECT_EQ(spacing.cyButtonSpacing, kReportedCy);
}

TEST_F(DropdownArrows, ASecondHideWritesOnlyWhatDiffers) {
    Frame& f = frame(FrameClass::Explorer, "D B A");
    EXPECT_EQ(setDropdownArrows(f->mainToolbar, 0), 1);
    const std::vector<BYTE> hidden = stylesOf(f->mainToolbar);
    recorder.clear();
    // The buttons are as asked; the spacing this toolbar reports (3, 7) is not.
    EXPECT_EQ(setDropdownArrows(f->mainToolbar, 0), 1);
    EXPECT_EQ(stylesOf(f->mainToolbar), hidden);
    EXPECT_TRUE(styleWrites(f->mainToolbar).empty());
    const TBMETRICS spacing = spacingWrite(f->mainToolbar);
    EXPECT_EQ(spacing.cxButtonSpacing, 0);
    EXPECT_EQ(spacing.cyButtonSpacing, 0);
    EXPECT_EQ(markRow(0), marksAt({0, 2}));
}

TEST_F(DropdownArrows, AToolbarWithNothingToChangeGetsNoStyleAndNoSpacing) {
    Frame& f = frame(FrameClass::Explorer, "B S P B");
    const std::vector<BYTE> before = stylesOf(f->mainToolbar);
    // A band that does not fit the toolbar yet.
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_IDEALSIZE;
    band.cxIdeal = 11;
    SendMessageA(f->rebar, RB_SETBANDINFOA,
                 SendMessageA(f->rebar, RB_IDTOINDEX, standin::kToolbarBandId, 0),
                 reinterpret_cast<LPARAM>(&band));
    bool firstWalk = true;
    for (int show : {0, 1, 0}) {
        recorder.clear();
        walkDropdowns(f->frame, show);
        EXPECT_TRUE(sent(f->mainToolbar, TB_SETBUTTONINFOA).empty());
        EXPECT_TRUE(sent(f->mainToolbar, TB_GETMETRICS).empty());
        EXPECT_TRUE(sent(f->mainToolbar, TB_SETMETRICS).empty());
        // Re-laid out only while its band does not fit it yet.
        EXPECT_EQ(sent(f->mainToolbar, TB_SETBUTTONWIDTH).size(), firstWalk ? 2u : 0u);
        firstWalk = false;
    }
    EXPECT_EQ(stylesOf(f->mainToolbar), before);
    EXPECT_EQ(markRow(0), marksAt({}));
}

TEST_F(DropdownArrows, MarksFollowPositionsWhenButtonsAreMoved) {
    Frame& f = frame(FrameClass::Explorer, "D B B B");
    HWND toolbar = f->mainToolbar;
    const int first = standin::kFirstButtonCommand;
    setDropdownArrows(toolbar, 0);
    ASSERT_EQ(markRow(0), marksAt({0}));

    // The button that lost its arrow goes to the end; a plain one takes position 0.
    ASSERT_TRUE(SendMessageA(toolbar, TB_MOVEBUTTON, 0, 3));
    ASSERT_EQ(buttonAt(toolbar, 0).idCommand, first + 1);
    ASSERT_EQ(buttonAt(toolbar, 3).idCommand, first);

    setDropdownArrows(toolbar, 1);
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrowAndAutosize, kArrowAndAutosize)
        << "the button now at the marked position gets the arrow";
    EXPECT_EQ(buttonAt(toolbar, 3).fsStyle & kArrow, 0) << "position 3 was never marked";
    EXPECT_EQ(buttonAt(toolbar, 1).fsStyle & kArrow, 0);
    EXPECT_EQ(markRow(0), marksAt({0}));
}

TEST_F(DropdownArrows, MarksFollowPositionsWhenButtonsAreReplaced) {
    Frame& f = frame(FrameClass::Browser, "B D B");
    HWND toolbar = f->mainToolbar;
    setDropdownArrows(toolbar, 0);
    ASSERT_EQ(markRow(1), marksAt({1}));

    // Position 1 is taken by a new plain button, the old one is gone.
    ASSERT_TRUE(SendMessageA(toolbar, TB_DELETEBUTTON, 1, 0));
    ASSERT_TRUE(insertButton(toolbar, 1, plainButton(0x7777, BTNS_BUTTON)));
    ASSERT_TRUE(insertButton(toolbar, 0, plainButton(0x7778, BTNS_BUTTON)));
    // Now: 0x7778, the first B, 0x7777 (where the D stood, shifted to 2), the last B.

    setDropdownArrows(toolbar, 1);
    EXPECT_EQ(buttonAt(toolbar, 1).idCommand, standin::kFirstButtonCommand);
    EXPECT_EQ(buttonAt(toolbar, 1).fsStyle & kArrowAndAutosize, kArrowAndAutosize)
        << "whatever stands at the marked position";
    EXPECT_EQ(buttonAt(toolbar, 2).idCommand, 0x7777);
    EXPECT_EQ(buttonAt(toolbar, 2).fsStyle & kArrow, 0);
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrow, 0);
    EXPECT_EQ(markRow(1), marksAt({1}));
}

TEST_F(DropdownArrows, SeparatorsAreNeverTouchedNorMarked) {
    Frame& f = frame(FrameClass::Explorer, "D D B B");
    HWND toolbar = f->mainToolbar;
    setDropdownArrows(toolbar, 0);
    ASSERT_EQ(markRow(0), marksAt({0, 1}));

    // A separator takes marked position 1; another, with the arrow bit, unmarked position 3.
    ASSERT_TRUE(SendMessageA(toolbar, TB_DELETEBUTTON, 1, 0));
    ASSERT_TRUE(insertButton(toolbar, 1, plainButton(0, BTNS_SEP)));
    ASSERT_TRUE(SendMessageA(toolbar, TB_DELETEBUTTON, 3, 0));
    ASSERT_TRUE(insertButton(toolbar, 3, plainButton(0, BTNS_SEP | BTNS_DROPDOWN)));
    const std::vector<BYTE> before = stylesOf(toolbar);
    ASSERT_EQ(before[1], BTNS_SEP);
    ASSERT_EQ(before[3], BTNS_SEP | BTNS_DROPDOWN);

    for (int show : {1, 0, 1}) {
        recorder.clear();
        setDropdownArrows(toolbar, show);
        const std::vector<BYTE> after = stylesOf(toolbar);
        EXPECT_EQ(after[1], before[1]);
        EXPECT_EQ(after[3], before[3]);
        for (UINT message : {TB_GETBUTTONINFOA, TB_SETBUTTONINFOA})
            for (const MessageRecord& record : sent(toolbar, message))
                EXPECT_NE(record.wParam, 0u)
                    << "a separator (command 0) was addressed: " << tarvik::test::describe(record);
        EXPECT_EQ(markRow(0), marksAt({0, 1}));
    }
}

TEST_F(DropdownArrows, ExplorerMarksServeEveryExplorerFrameAndNoBrowserFrame) {
    Frame& explorer = frame(FrameClass::Explorer, "B D B");
    Frame& tree = frame(FrameClass::ExplorerTree, "B B B");
    Frame& browser = frame(FrameClass::Browser, "B B B");
    setDropdownArrows(explorer->mainToolbar, 0);
    ASSERT_EQ(markRow(0), marksAt({1}));

    const std::vector<BYTE> browserBefore = stylesOf(browser->mainToolbar);
    recorder.clear();
    setDropdownArrows(browser->mainToolbar, 1);
    EXPECT_EQ(stylesOf(browser->mainToolbar), browserBefore);
    EXPECT_TRUE(recordsFor(withMessage(recorder.records(), TB_SETBUTTONINFOA), browser->mainToolbar)
                    .empty());
    EXPECT_EQ(markRow(1), marksAt({}));

    setDropdownArrows(tree->mainToolbar, 1);
    EXPECT_EQ(buttonAt(tree->mainToolbar, 1).fsStyle & kArrowAndAutosize, kArrowAndAutosize)
        << "a mark made in one Explorer frame counts in another";
    EXPECT_EQ(buttonAt(tree->mainToolbar, 0).fsStyle & kArrow, 0);
}

TEST_F(DropdownArrows, PositionsPastTheMarkRowAreNeverMarked) {
    // 70 buttons; drop-downs at 64 and 65, past the 64 entries of a row.
    std::string pattern(64, 'B');
    pattern += "DD";
    pattern += std::string(4, 'B');
    constexpr DWORD kSentinel = 0xA5A5A5A5;
    sharedState.explorerLargeListsOwner = kSentinel;
    sharedState.explorerSmallListsOwner = kSentinel;
    const HICON lastSaved = sharedState.savedSmallHotIcons[kIconSlots - 1];

    for (FrameClass frameClass : {FrameClass::Explorer, FrameClass::Browser}) {
        Frame& f = frame(frameClass, pattern.c_str());
        ASSERT_EQ(SendMessageA(f->mainToolbar, TB_BUTTONCOUNT, 0, 0), 70);
        ASSERT_EQ(buttonAt(f->mainToolbar, 65).fsStyle & kArrow, kArrow);
        setDropdownArrows(f->mainToolbar, 0);
        // The arrow is taken off, since the button has it, but nothing records the position.
        EXPECT_EQ(buttonAt(f->mainToolbar, 64).fsStyle & kArrow, 0);
        EXPECT_EQ(buttonAt(f->mainToolbar, 65).fsStyle & kArrow, 0);
        setDropdownArrows(f->mainToolbar, 1);
        EXPECT_EQ(buttonAt(f->mainToolbar, 65).fsStyle & kArrow, 0) << "no mark, no arrow back";
        EXPECT_EQ(markRow(0), marksAt({}));
        EXPECT_EQ(markRow(1), marksAt({}));
        EXPECT_EQ(sharedState.explorerLargeListsOwner, kSentinel);
        EXPECT_EQ(sharedState.explorerSmallListsOwner, kSentinel);
        EXPECT_EQ(sharedState.savedSmallHotIcons[kIconSlots - 1], lastSaved);
    }
}

TEST_F(DropdownArrows, TheWalkChangesOnlyTheFirstMainToolbarOfTheFrame) {
    standin::FrameOptions options = withButtons(FrameClass::Explorer, "D A B");
    options.secondMainToolbar = true;
    Frame f(options);
    ASSERT_NE(f->secondMainToolbar, nullptr);
    // Which of the two the enumeration meets first.
    struct Search {
        HWND first = nullptr;
    } search;
    EnumChildWindows(
        f->frame,
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            char name[32] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::strcmp(name, TOOLBARCLASSNAMEA) != 0 || GetDlgCtrlID(window) != 0xA000)
                return TRUE;
            reinterpret_cast<Search*>(param)->first = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.first, nullptr);
    HWND other = search.first == f->mainToolbar ? f->secondMainToolbar : f->mainToolbar;
    ASSERT_TRUE(recorder.attach(search.first));
    ASSERT_TRUE(recorder.attach(other));
    const std::vector<BYTE> otherBefore = stylesOf(other);
    recorder.clear();

    walkDropdowns(f->frame, 0);

    EXPECT_TRUE(recordsFor(recorder.records(), other).empty()) << "the walk stops at the first";
    EXPECT_EQ(sent(search.first, TB_SETBUTTONWIDTH).size(), 2u);
    EXPECT_EQ(buttonAt(search.first, 0).fsStyle & kArrow, 0);
    EXPECT_EQ(buttonAt(search.first, 1).fsStyle & kArrow, 0);
    EXPECT_EQ(stylesOf(other), otherBefore);
}

TEST_F(DropdownArrows, TheWalkProcedureReadsOnlyTheLowWordOfItsParameter) {
    Frame& f = frame(FrameClass::Explorer, "D B");
    HWND toolbar = f->mainToolbar;
    EXPECT_EQ(dropdownToolbarProc(f->menuToolbar, walkParam(0)), TRUE) << "not a main toolbar";
    EXPECT_EQ(dropdownToolbarProc(f->rebar, walkParam(0)), TRUE);
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrow, kArrow);

    EXPECT_EQ(dropdownToolbarProc(toolbar, 0x30000), FALSE) << "low word 0: hide";
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrow, 0);
    EXPECT_EQ(dropdownToolbarProc(toolbar, 0x10002), FALSE) << "low word non-zero: show";
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrow, kArrow);
    EXPECT_EQ(dropdownToolbarProc(toolbar, 0), FALSE);
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle & kArrow, 0);
}

TEST_F(DropdownArrows, AMainToolbarOutsideAnyFrameIsLeftAlone) {
    PlainWindow host;
    HWND toolbar = CreateWindowExA(
        0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, host.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xA000)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ASSERT_TRUE(insertButton(toolbar, 0, plainButton(0x100, BTNS_DROPDOWN)));
    ASSERT_TRUE(recorder.attach(toolbar));
    setDropdownArrows(toolbar, 0);
    EXPECT_TRUE(recorder.records().empty());
    EXPECT_EQ(buttonAt(toolbar, 0).fsStyle, BTNS_DROPDOWN);
    EXPECT_EQ(markRow(0), marksAt({}));
    EXPECT_EQ(markRow(1), marksAt({}));
    EXPECT_FALSE(isBusy());
}

} // namespace
