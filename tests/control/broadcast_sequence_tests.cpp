// broadcastToFrame on stand-in frames of this process (no hooks: the private
// messages just reach the frames' window procedures, where a recorder sees
// them): the fixed group order, wParam per bit, lParam per frame kind, the
// windows that get nothing, automatic words and the answers to EnumWindows.
#include <gtest/gtest.h>
#include <windows.h>

#include "control/broadcast.h"
#include "control_test_util.h"
#include "sequence_assert.h"
#include "state/shared_state.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MessageRecorder;
using tarvik::test::sequenceMatches;

namespace {

constexpr LPARAM kEveryApply =
    BC_ICONS_APPLY | BC_LOGO_APPLY | BC_MENU_APPLY | BC_HEADER_APPLY | BC_DROPDOWN_APPLY;
constexpr LPARAM kEveryRestore =
    BC_ICONS_RESTORE | BC_LOGO_RESTORE | BC_MENU_RESTORE | BC_HEADER_RESTORE | BC_DROPDOWN_RESTORE;
// The re-application words, in the order the hook sends them to a shown frame.
constexpr LPARAM kReapplyWords[] = {BC_AUTO | BC_ICONS_APPLY, BC_AUTO | BC_LOGO_APPLY,
                                    BC_AUTO | BC_MENU_REHIDE, BC_AUTO | BC_DROPDOWN_APPLY};

class Broadcast : public ::testing::Test {
  protected:
    void SetUp() override {
        sharedState.explorerIconsApplied = 0;
        for (HWND window : {explorer->frame, tree->frame, browser->frame, commandBar->frame,
                            plain.window, explorer->worker, explorer->rebar, explorer->mainToolbar})
            ASSERT_TRUE(recorder.attach(window));
    }

    std::vector<MessageRecord> sendTo(HWND window, LPARAM word, BOOL expectedAnswer) {
        recorder.clear();
        EXPECT_EQ(broadcastToFrame(window, word), expectedAnswer) << "word 0x" << std::hex << word;
        return recorder.records();
    }

    tarvik::test::WindowNames names() const {
        return {{explorer->frame, "CabinetWClass"},
                {tree->frame, "ExploreWClass"},
                {browser->frame, "IEFrame"},
                {commandBar->frame, "IEFrame+CommandBar"},
                {plain.window, "plain"},
                {explorer->mainToolbar, "main toolbar"}};
    }

    Frame explorer{FrameClass::Explorer};
    Frame tree{FrameClass::ExplorerTree};
    Frame browser{FrameClass::Browser};
    Frame commandBar{FrameClass::BrowserWithCommandBar};
    PlainWindow plain;
    MessageRecorder recorder{privateMessagesOnly()};
};

TEST_F(Broadcast, EveryGroupGoesToTheFrameInFixedOrderWithItsKind) {
    struct Case {
        HWND frame;
        LPARAM kind;
    };
    for (Case c : {Case{explorer->frame, 1}, Case{tree->frame, 1}, Case{browser->frame, 2}}) {
        // Apply bits: the drop-down bit is numerically low but its message comes last.
        EXPECT_TRUE(sequenceMatches(sendTo(c.frame, BC_MANUAL | kEveryApply, TRUE),
                                    {privateMessage(c.frame, MSG_SET_ICONS, 1, c.kind),
                                     privateMessage(c.frame, MSG_SET_LOGO, 1, c.kind),
                                     privateMessage(c.frame, MSG_SET_MENUBAR, 1, c.kind),
                                     privateMessage(c.frame, MSG_SET_HEADERS, 1, c.kind),
                                     privateMessage(c.frame, MSG_SET_DROPDOWNS, 1, c.kind)},
                                    tarvik::test::MatchMode::Exact, names()));
        EXPECT_TRUE(sequenceMatches(sendTo(c.frame, BC_MANUAL | kEveryRestore, TRUE),
                                    {privateMessage(c.frame, MSG_SET_ICONS, 2, c.kind),
                                     privateMessage(c.frame, MSG_SET_LOGO, 2, c.kind),
                                     privateMessage(c.frame, MSG_SET_MENUBAR, 2, c.kind),
                                     privateMessage(c.frame, MSG_SET_HEADERS, 2, c.kind),
                                     privateMessage(c.frame, MSG_SET_DROPDOWNS, 2, c.kind)},
                                    tarvik::test::MatchMode::Exact, names()));
    }
}

TEST_F(Broadcast, EachBitSendsOnlyItsOwnMessage) {
    struct Case {
        LPARAM bit;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {BC_ICONS_APPLY, MSG_SET_ICONS, 1},        {BC_ICONS_RESTORE, MSG_SET_ICONS, 2},
        {BC_DROPDOWN_APPLY, MSG_SET_DROPDOWNS, 1}, {BC_DROPDOWN_RESTORE, MSG_SET_DROPDOWNS, 2},
        {BC_LOGO_APPLY, MSG_SET_LOGO, 1},          {BC_LOGO_RESTORE, MSG_SET_LOGO, 2},
        {BC_MENU_APPLY, MSG_SET_MENUBAR, 1},       {BC_MENU_RESTORE, MSG_SET_MENUBAR, 2},
        {BC_MENU_REHIDE, MSG_SET_MENUBAR, 3},      {BC_HEADER_APPLY, MSG_SET_HEADERS, 1},
        {BC_HEADER_RESTORE, MSG_SET_HEADERS, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bit 0x" << std::hex << c.bit);
        EXPECT_TRUE(sequenceMatches(sendTo(browser->frame, BC_MANUAL | c.bit, TRUE),
                                    {privateMessage(browser->frame, c.message, c.wParam, 2)},
                                    tarvik::test::MatchMode::Exact, names()));
    }
}

TEST_F(Broadcast, AnApplyBitWinsOverItsRestoreBit) {
    struct Case {
        LPARAM bits;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {BC_ICONS_APPLY | BC_ICONS_RESTORE, MSG_SET_ICONS, 1},
        {BC_DROPDOWN_APPLY | BC_DROPDOWN_RESTORE, MSG_SET_DROPDOWNS, 1},
        {BC_LOGO_APPLY | BC_LOGO_RESTORE, MSG_SET_LOGO, 1},
        {BC_MENU_APPLY | BC_MENU_RESTORE | BC_MENU_REHIDE, MSG_SET_MENUBAR, 1},
        {BC_MENU_APPLY | BC_MENU_REHIDE, MSG_SET_MENUBAR, 1},
        {BC_MENU_RESTORE | BC_MENU_REHIDE, MSG_SET_MENUBAR, 2},
        {BC_HEADER_APPLY | BC_HEADER_RESTORE, MSG_SET_HEADERS, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bits 0x" << std::hex << c.bits);
        EXPECT_TRUE(sequenceMatches(sendTo(explorer->frame, BC_MANUAL | c.bits, TRUE),
                                    {privateMessage(explorer->frame, c.message, c.wParam, 1)},
                                    tarvik::test::MatchMode::Exact, names()));
    }
    // Every bit at once: one message per group, each the apply form.
    EXPECT_TRUE(sequenceMatches(
        sendTo(browser->frame, BC_MANUAL | kEveryApply | kEveryRestore | BC_MENU_REHIDE, TRUE),
        {privateMessage(browser->frame, MSG_SET_ICONS, 1, 2),
         privateMessage(browser->frame, MSG_SET_LOGO, 1, 2),
         privateMessage(browser->frame, MSG_SET_MENUBAR, 1, 2),
         privateMessage(browser->frame, MSG_SET_HEADERS, 1, 2),
         privateMessage(browser->frame, MSG_SET_DROPDOWNS, 1, 2)},
        tarvik::test::MatchMode::Exact, names()));
}

TEST_F(Broadcast, WindowsThatAreNoFrameGetNothing) {
    const LPARAM word = BC_MANUAL | kEveryApply;
    EXPECT_TRUE(sendTo(plain.window, word, TRUE).empty());
    EXPECT_TRUE(sendTo(commandBar->frame, word, TRUE).empty())
        << "an IEFrame with a CommandBarClass child is no browser frame";
    // A frame's children are no frames either.
    EXPECT_TRUE(sendTo(explorer->worker, word, TRUE).empty());
    EXPECT_TRUE(sendTo(explorer->mainToolbar, word, TRUE).empty());
    // And a broadcast to a frame goes to the frame alone, never to its children.
    std::vector<MessageRecord> records = sendTo(explorer->frame, word, TRUE);
    EXPECT_EQ(records.size(), 5u);
    for (const MessageRecord& record : records)
        EXPECT_EQ(record.hwnd, explorer->frame) << tarvik::test::describe(record, names());
}

TEST_F(Broadcast, AnswersGoOnForExportWordsAndStopForAutomaticOnes) {
    for (HWND window : {explorer->frame, browser->frame, commandBar->frame, plain.window}) {
        sendTo(window, BC_MANUAL | BC_LOGO_APPLY, TRUE);
        sendTo(window, BC_MANUAL, TRUE);
        sendTo(window, 0, TRUE);
        sendTo(window, BC_AUTO | BC_LOGO_APPLY, FALSE);
        sendTo(window, BC_AUTO, FALSE);
        sendTo(window, BC_AUTO | BC_MANUAL | BC_LOGO_APPLY, FALSE);
    }
}

// Whether Explorer's icons are in place is a fact about one process's lists: the
// re-application decides it in the frame's process from its own fills, so the desktop-wide
// flag never keeps an automatic word from an Explorer frame of another process.
TEST_F(Broadcast, AutomaticWordsReachAnExplorerFrameWhateverTheDesktopFlagSays) {
    sharedState.explorerIconsApplied = 1;
    for (HWND frame : {explorer->frame, tree->frame}) {
        EXPECT_TRUE(sequenceMatches(sendTo(frame, BC_AUTO | kEveryApply, FALSE),
                                    {privateMessage(frame, MSG_SET_ICONS, 1, 1),
                                     privateMessage(frame, MSG_SET_LOGO, 1, 1),
                                     privateMessage(frame, MSG_SET_MENUBAR, 1, 1),
                                     privateMessage(frame, MSG_SET_HEADERS, 1, 1),
                                     privateMessage(frame, MSG_SET_DROPDOWNS, 1, 1)},
                                    tarvik::test::MatchMode::Exact, names()));
        EXPECT_TRUE(sequenceMatches(sendTo(frame, BC_MANUAL | BC_ICONS_APPLY, TRUE),
                                    {privateMessage(frame, MSG_SET_ICONS, 1, 1)},
                                    tarvik::test::MatchMode::Exact, names()));
    }
    // A browser frame always gets the icon message.
    EXPECT_TRUE(sequenceMatches(sendTo(browser->frame, BC_AUTO | kEveryApply, FALSE),
                                {privateMessage(browser->frame, MSG_SET_ICONS, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_LOGO, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_MENUBAR, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_HEADERS, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_DROPDOWNS, 1, 2)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_EQ(sharedState.explorerIconsApplied, 1);
}

TEST_F(Broadcast, TheReapplicationWordsOfAShownFrame) {
    auto reapply = [&](HWND frame) {
        recorder.clear();
        for (LPARAM word : kReapplyWords)
            EXPECT_EQ(broadcastToFrame(frame, word), FALSE);
        return recorder.records();
    };
    // Every frame's words carry the icons: whether a shown frame needs them is decided
    // before, in its process (reapplyToFrame). The Explorer flag is set by them.
    EXPECT_TRUE(sequenceMatches(reapply(explorer->frame),
                                {privateMessage(explorer->frame, MSG_SET_ICONS, 1, 1),
                                 privateMessage(explorer->frame, MSG_SET_LOGO, 1, 1),
                                 privateMessage(explorer->frame, MSG_SET_MENUBAR, 3, 1),
                                 privateMessage(explorer->frame, MSG_SET_DROPDOWNS, 1, 1)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_EQ(sharedState.explorerIconsApplied, 1);
    EXPECT_TRUE(sequenceMatches(reapply(tree->frame),
                                {privateMessage(tree->frame, MSG_SET_ICONS, 1, 1),
                                 privateMessage(tree->frame, MSG_SET_LOGO, 1, 1),
                                 privateMessage(tree->frame, MSG_SET_MENUBAR, 3, 1),
                                 privateMessage(tree->frame, MSG_SET_DROPDOWNS, 1, 1)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_TRUE(sequenceMatches(reapply(browser->frame),
                                {privateMessage(browser->frame, MSG_SET_ICONS, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_LOGO, 1, 2),
                                 privateMessage(browser->frame, MSG_SET_MENUBAR, 3, 2),
                                 privateMessage(browser->frame, MSG_SET_DROPDOWNS, 1, 2)},
                                tarvik::test::MatchMode::Exact, names()));
    EXPECT_TRUE(reapply(commandBar->frame).empty());
    EXPECT_TRUE(reapply(plain.window).empty());
}

TEST_F(Broadcast, ExplorerIconsAppliedIsSetAfterTheIconMessageToAnExplorerFrame) {
    int atReceipt = -1;
    recorder.before(explorer->frame, MSG_SET_ICONS,
                    [&](const MessageRecord&) { atReceipt = sharedState.explorerIconsApplied; });
    // Restoring and browser frames leave it alone.
    sendTo(explorer->frame, BC_MANUAL | BC_ICONS_RESTORE, TRUE);
    sendTo(browser->frame, BC_MANUAL | BC_ICONS_APPLY, TRUE);
    sendTo(browser->frame, BC_AUTO | BC_ICONS_APPLY, FALSE);
    EXPECT_EQ(sharedState.explorerIconsApplied, 0);

    atReceipt = -1;
    EXPECT_EQ(sendTo(explorer->frame, BC_MANUAL | BC_ICONS_APPLY, TRUE).size(), 1u);
    EXPECT_EQ(atReceipt, 0) << "set after the send, not before";
    EXPECT_EQ(sharedState.explorerIconsApplied, 1);

    // An automatic word sets it too while it is clear.
    sharedState.explorerIconsApplied = 0;
    EXPECT_EQ(sendTo(tree->frame, BC_AUTO | BC_ICONS_APPLY, FALSE).size(), 1u);
    EXPECT_EQ(sharedState.explorerIconsApplied, 1);
}

} // namespace
