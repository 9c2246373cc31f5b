// With the six hooks installed and customisation on, the frames of another
// process still get every message as it was sent, posted or typed, and their
// answers reach the sender unchanged; the library's private messages reach the
// frame's own procedure after the hook has acted on them.
#include "hook_bench.h"
#include "pump.h"
#include "real_input.h"
#include "sequence_assert.h"

using namespace hooktest;
using tarvik::test::msg;

namespace {

struct Query {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class PassThrough : public HookBench {
  protected:
    void SetUp() override {
        HookBench::SetUp();
        host = &startHost();
        f = hostFrame(*host, frameOptions(FrameClass::Explorer));
        ASSERT_NE(f.frame, nullptr);
    }

    // Messages of the frame's controls with answers of their own, none with pointers.
    std::vector<Query> queries() const {
        return {
            {f.mainToolbar, TB_BUTTONCOUNT, 0, 0},
            {f.mainToolbar, TB_COMMANDTOINDEX, standin::kFirstButtonCommand + 3, 0},
            {f.mainToolbar, TB_GETBUTTONSIZE, 0, 0},
            {f.mainToolbar, TB_GETSTYLE, 0, 0},
            {f.mainToolbar, TB_ISBUTTONENABLED, standin::kFirstButtonCommand + 1, 0},
            {f.rebar, RB_GETBANDCOUNT, 0, 0},
            {f.rebar, RB_IDTOINDEX, standin::kLogoBandId, 0},
            {f.rebar, RB_GETBARHEIGHT, 0, 0},
            {f.frame, WM_APP + 0x33, 0x12345678, static_cast<LPARAM>(-7)},
        };
    }

    RemoteShell* host = nullptr;
    FrameHandles f{};
};

TEST_F(PassThrough, SentMessagesArriveAsSentAndTheirAnswersComeBackUnchanged) {
    std::vector<LRESULT> unhooked;
    for (const Query& q : queries()) {
        LRESULT answer = 0;
        ASSERT_TRUE(sendToWindow(q.window, q.message, q.wParam, q.lParam, &answer));
        unhooked.push_back(answer);
    }
    install();
    library.showHideAllLogo(0, 0); // customisation on: the hooks look at everything

    RecorderConfig config;
    for (const Query& q : queries())
        config.recordOnly(q.message);
    ASSERT_TRUE(record(*host, {f.frame, f.rebar, f.mainToolbar}, config));
    std::vector<Expected> expected;
    std::vector<LRESULT> hooked;
    for (const Query& q : queries()) {
        LRESULT answer = 0;
        ASSERT_TRUE(sendToWindow(q.window, q.message, q.wParam, q.lParam, &answer));
        hooked.push_back(answer);
        expected.push_back(msg(q.message).on(q.window).wparam(q.wParam).lparam(q.lParam));
    }
    EXPECT_EQ(hooked, unhooked);
    const std::vector<MessageRecord> seen = records(*host);
    EXPECT_TRUE(tarvik::test::sequenceMatches(seen, expected));
    // What each procedure returned is what this process got.
    ASSERT_EQ(seen.size(), hooked.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        ASSERT_TRUE(seen[i].hasResult());
        EXPECT_EQ(seen[i].result, hooked[i]) << "query " << i;
    }
}

TEST_F(PassThrough, PostedMessagesArriveAsPosted) {
    install();
    library.showHideAllLogo(0, 0);
    RecorderConfig config;
    config.recordOnly(WM_APP + 0x34).recordOnly(WM_TIMER).recordOnly(WM_COMMAND);
    config.recordOnly(MSG_TOGGLE_MENUBAR).recordOnly(RB_SHOWBAND);
    ASSERT_TRUE(record(*host, {f.frame, f.rebar}, config));
    // A timer id and a command id the library does not own; a private message posted
    // rather than sent, which the library never acts on.
    const std::vector<Expected> expected = {
        msg(WM_APP + 0x34).on(f.frame).wparam(0xBEEF).lparam(0x1234),
        msg(WM_TIMER).on(f.frame).wparam(0x4242).lparam(0),
        msg(WM_COMMAND).on(f.frame).wparam(0x6543).lparam(0),
        msg(MSG_TOGGLE_MENUBAR).on(f.frame).wparam(0).lparam(0),
    };
    ASSERT_TRUE(PostMessageA(f.frame, WM_APP + 0x34, 0xBEEF, 0x1234));
    ASSERT_TRUE(PostMessageA(f.frame, WM_TIMER, 0x4242, 0));
    ASSERT_TRUE(PostMessageA(f.frame, WM_COMMAND, 0x6543, 0));
    ASSERT_TRUE(PostMessageA(f.frame, MSG_TOGGLE_MENUBAR, 0, 0));
    ASSERT_TRUE(waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, f.frame, MSG_TOGGLE_MENUBAR) == 1;
    }));
    EXPECT_TRUE(tarvik::test::sequenceMatches(records(*host), expected));
    EXPECT_FALSE(hostBandHidden(*host, f.rebar, standin::kMenuBandId));
}

TEST_F(PassThrough, PrivateMessagesReachTheFrameAfterTheHookActed) {
    install();
    library.showHideAllLogo(1, 1);
    ASSERT_TRUE(hostBandHidden(*host, f.rebar, standin::kLogoBandId));
    RecorderConfig config = privateMessagesOnly();
    config.recordOnly(RB_SHOWBAND);
    ASSERT_TRUE(record(*host, {f.frame, f.rebar}, config));
    const int logoIndex =
        static_cast<int>(*host->send(f.rebar, RB_IDTOINDEX, standin::kLogoBandId));

    // The restore through the hook shows the band, then the frame's procedure gets the
    // message with its parameters, and its answer is the sender's.
    LRESULT answer = -1;
    ASSERT_TRUE(sendToWindow(f.frame, MSG_SET_LOGO, kRestore, TARVIK_KIND_EXPLORER, &answer));
    const std::vector<MessageRecord> seen = records(*host);
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        seen, {msg(RB_SHOWBAND).on(f.rebar).wparam(logoIndex).lparam(TRUE),
               privateMessage(f.frame, MSG_SET_LOGO, kRestore, TARVIK_KIND_EXPLORER)}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].depth, 0u) << "the walk ran before the procedure, not inside it";
    EXPECT_EQ(seen[1].result, answer);
    EXPECT_FALSE(hostBandHidden(*host, f.rebar, standin::kLogoBandId));
}

TEST_F(PassThrough, MouseAndKeyInputArriveUnchanged) {
    install();
    library.showHideAllMenu(1, 0); // a hidden band: the input hooks watch every key and click
    ASSERT_TRUE(host->foreground(f.frame));
    RecorderConfig config;
    for (UINT message :
         {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP})
        config.recordOnly(message);
    ASSERT_TRUE(record(*host, {f.frame, f.mainToolbar, f.content}, config));

    // A middle click on the frame's list view: no bar, so nothing toggles.
    POINT at{};
    ASSERT_TRUE(pointOver(f.content, &at));
    ASSERT_TRUE(putCursorAt(at));
    ASSERT_TRUE(middleClick());
    POINT client = at;
    ScreenToClient(f.content, &client);
    ASSERT_TRUE(waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
        return countOf(r, f.content, WM_MBUTTONUP) == 1;
    }));
    const LPARAM where = MAKELPARAM(client.x, client.y);
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        records(*host), {msg(WM_MBUTTONDOWN).on(f.content).wparam(MK_MBUTTON).lparam(where),
                         msg(WM_MBUTTONUP).on(f.content).wparam(0).lparam(where)}));

    // A letter typed: down, character, up, to whichever window of the frame has the focus.
    ASSERT_TRUE(record(*host, {f.frame, f.mainToolbar, f.content}, config));
    ASSERT_TRUE(keyDown('Q'));
    ASSERT_TRUE(keyUp('Q'));
    ASSERT_TRUE(waitForRecords(*host, [&](const std::vector<MessageRecord>& r) {
        for (const MessageRecord& record : r)
            if (record.message == WM_KEYUP) return true;
        return false;
    }));
    const std::vector<MessageRecord> keys = records(*host);
    ASSERT_EQ(keys.size(), 3u);
    const HWND focus = keys[0].hwnd;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA('Q', MAPVK_VK_TO_VSC)) << 16;
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        keys, {msg(WM_KEYDOWN).on(focus).wparam('Q').lparam(scan | 1),
               msg(WM_CHAR).on(focus).wparam('q').lparam(scan | 1),
               msg(WM_KEYUP).on(focus).wparam('Q').lparam(scan | 0xC0000001)}));
}

} // namespace
