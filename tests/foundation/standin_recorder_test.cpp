// The message recorder on real controls: order, nesting, payload copies taken
// before the window procedure runs, filters, callbacks (including one that
// destroys the window), and a clean detach.
#include <gtest/gtest.h>

#include <algorithm>
#include "recorder.h"
#include "sequence_assert.h"
#include "standin_test_util.h"

using namespace tarvik::test;
using namespace standin_test;

namespace {

// A parent window of a plain class for controls made by hand.
class Parent {
  public:
    Parent() {
        window = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~Parent() { DestroyWindow(window); }
    Parent(const Parent&) = delete;
    Parent& operator=(const Parent&) = delete;
    HWND window;
};

HWND makeToolbar(HWND parent) {
    HWND toolbar =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT, 0, 0,
                        300, 30, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[2] = {};
    buttons[0].idCommand = 100;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[1].idCommand = 101;
    buttons[1].fsState = TBSTATE_ENABLED;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(buttons));
    return toolbar;
}

BYTE styleOf(HWND toolbar, int index) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
    return button.fsStyle;
}

} // namespace

TEST(StandinRecorder, ToolbarMessagesWithTheirRecords) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    RecorderConfig config;
    config.recordOnly(TB_SETMETRICS).recordOnly(TB_GETIDEALSIZE).recordOnly(TB_SETBUTTONINFOA);
    MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(toolbar));

    TBMETRICS metrics{};
    metrics.cbSize = sizeof(metrics);
    metrics.dwMask = TBMF_PAD | TBMF_BUTTONSPACING;
    metrics.cxPad = 7;
    metrics.cyButtonSpacing = 3;
    SendMessageA(toolbar, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
    SIZE ideal{11, 13};
    LRESULT gotIdeal =
        SendMessageA(toolbar, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&ideal));
    TBBUTTONINFOA info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    info.fsStyle = BTNS_DROPDOWN;
    SendMessageA(toolbar, TB_SETBUTTONINFOA, 101, reinterpret_cast<LPARAM>(&info));

    std::vector<MessageRecord> records = recorder.records();
    ASSERT_TRUE(sequenceMatches(records, {msg(TB_SETMETRICS).on(toolbar),
                                          msg(TB_GETIDEALSIZE).on(toolbar).wparam(FALSE),
                                          msg(TB_SETBUTTONINFOA).on(toolbar).wparam(101)}));

    TBMETRICS sent = records[0].payloadAs<TBMETRICS>();
    EXPECT_EQ(records[0].payloadBytes, sizeof(TBMETRICS));
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(TBMF_PAD | TBMF_BUTTONSPACING));
    EXPECT_EQ(sent.cxPad, 7);
    EXPECT_EQ(sent.cyButtonSpacing, 3);
    // The SIZE as it was before the toolbar filled it in.
    EXPECT_NE(ideal.cx, 11) << "the toolbar fills the SIZE in";
    SIZE before = records[1].payloadAs<SIZE>();
    EXPECT_EQ(before.cx, 11);
    EXPECT_EQ(before.cy, 13);
    ASSERT_TRUE(records[1].hasResult());
    EXPECT_EQ(records[1].result, gotIdeal);
    TBBUTTONINFOA styled = records[2].payloadAs<TBBUTTONINFOA>();
    EXPECT_EQ(styled.dwMask, static_cast<DWORD>(TBIF_STYLE));
    EXPECT_EQ(styled.fsStyle, BTNS_DROPDOWN);
    EXPECT_EQ(styleOf(toolbar, 1) & BTNS_DROPDOWN, BTNS_DROPDOWN);
    for (const MessageRecord& record : records)
        EXPECT_EQ(record.threadId, GetCurrentThreadId());
}

TEST(StandinRecorder, RebarChangeAndItsNestedNotifications) {
    standin::FrameOptions options;
    options.visible = false;
    FrameGuard frame(options);
    MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(frame->rebar));
    ASSERT_TRUE(recorder.attach(frame->worker));

    REBARBANDINFOA band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_HEADERSIZE | RBBIM_CHILDSIZE;
    band.cxHeader = 5;
    band.cxMinChild = 40;
    band.cyMinChild = 30;
    ASSERT_TRUE(SendMessageA(frame->rebar, RB_SETBANDINFOA, 2, reinterpret_cast<LPARAM>(&band)));

    std::vector<MessageRecord> records = recorder.records();
    WindowNames names = {{frame->rebar, "rebar"}, {frame->worker, "worker"}};
    // The change, then at least one RBN_CHILDSIZE sent to the "WorkerW" from inside it.
    EXPECT_TRUE(sequenceMatches(records,
                                {msg(RB_SETBANDINFOA).on(frame->rebar).wparam(2),
                                 notification(RBN_CHILDSIZE).on(frame->worker).many()},
                                MatchMode::InOrder, names));
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(records[0].message, static_cast<UINT>(RB_SETBANDINFOA));
    auto copy = records[0].payloadAs<REBARBANDINFOA>();
    EXPECT_EQ(records[0].payloadBytes, sizeof(REBARBANDINFOA));
    EXPECT_EQ(copy.fMask, static_cast<UINT>(RBBIM_HEADERSIZE | RBBIM_CHILDSIZE));
    EXPECT_EQ(copy.cxHeader, 5u);
    EXPECT_EQ(copy.cyMinChild, 30u);
    for (const MessageRecord& record : records)
        if (record.message == WM_NOTIFY && record.notifyCode == static_cast<UINT>(RBN_CHILDSIZE)) {
            EXPECT_EQ(record.depth, 1u) << "the notification runs inside RB_SETBANDINFOA";
            EXPECT_EQ(record.notifyFrom, frame->rebar);
        }
}

TEST(StandinRecorder, NoiseIsSkippedUnlessAsked) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    ShowWindow(parent.window, SW_SHOWNOACTIVATE);
    auto paintCount = [toolbar](const RecorderConfig& config) {
        MessageRecorder recorder(config);
        recorder.attach(toolbar);
        RedrawWindow(toolbar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageA(toolbar, WM_GETTEXTLENGTH, 0, 0);
        int paints = 0;
        for (const MessageRecord& record : recorder.records())
            paints += record.message == WM_PAINT || record.message == WM_GETTEXTLENGTH;
        return paints;
    };
    EXPECT_EQ(paintCount(RecorderConfig{}), 0);
    RecorderConfig everything;
    everything.skipNoise = false;
    EXPECT_GE(paintCount(everything), 2);

    RecorderConfig skipOne;
    skipOne.skipMessage(TB_AUTOSIZE);
    MessageRecorder recorder(skipOne);
    recorder.attach(toolbar);
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0);
    // What TB_AUTOSIZE does inside stays recorded; the message itself does not.
    std::vector<MessageRecord> records = recorder.records();
    EXPECT_TRUE(std::none_of(records.begin(), records.end(), [](const MessageRecord& record) {
        return record.message == TB_AUTOSIZE;
    }));
    EXPECT_TRUE(sequenceMatches(records, {msg(TB_BUTTONCOUNT).on(toolbar)}, MatchMode::InOrder));
}

TEST(StandinRecorder, CallerPayloadRules) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    constexpr UINT kPrivate = WM_APP + 77;
    RecorderConfig config;
    config.recordOnly(kPrivate).recordOnly(TB_ADDBUTTONSA);
    config.copyPayload(kPrivate, PayloadSize::Fixed, 8);
    MessageRecorder recorder(config);
    ASSERT_TRUE(recorder.attach(toolbar));
    unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SendMessageA(toolbar, kPrivate, 0, reinterpret_cast<LPARAM>(bytes));
    TBBUTTON more[2] = {};
    more[0].idCommand = 200;
    more[1].idCommand = 201;
    SendMessageA(toolbar, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(more));

    std::vector<MessageRecord> records = recorder.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].payloadBytes, 8u);
    EXPECT_EQ(std::memcmp(records[0].payload, bytes, 8), 0);
    // TB_ADDBUTTONSA: wParam records of TBBUTTON.
    ASSERT_EQ(records[1].payloadBytes, 2 * sizeof(TBBUTTON));
    TBBUTTON second;
    std::memcpy(&second, records[1].payload + sizeof(TBBUTTON), sizeof(second));
    EXPECT_EQ(second.idCommand, 201);
}

TEST(StandinRecorder, CallbackSeesTheStateBeforeTheProcedure) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(toolbar));
    BYTE seen = 0xFF;
    bool hadResult = true;
    recorder.before(
        toolbar, TB_SETBUTTONINFOA,
        [&](const MessageRecord& record) {
            seen = styleOf(toolbar, 0);
            hadResult = record.hasResult();
        },
        true);
    TBBUTTONINFOA info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE;
    info.fsStyle = BTNS_CHECK;
    SendMessageA(toolbar, TB_SETBUTTONINFOA, 100, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(seen & BTNS_CHECK, 0);
    EXPECT_FALSE(hadResult);
    EXPECT_EQ(styleOf(toolbar, 0) & BTNS_CHECK, BTNS_CHECK);
    // A one-shot callback runs once.
    seen = 0xFF;
    SendMessageA(toolbar, TB_SETBUTTONINFOA, 100, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(seen, 0xFF);
}

TEST(StandinRecorder, CallbackMayDestroyTheWindow) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(toolbar));
    recorder.before(toolbar, TB_AUTOSIZE,
                    [toolbar](const MessageRecord&) { DestroyWindow(toolbar); });
    EXPECT_EQ(SendMessageA(toolbar, TB_AUTOSIZE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(toolbar));
    EXPECT_FALSE(recorder.attached(toolbar));
    EXPECT_TRUE(sequenceMatches(recorder.records(),
                                {msg(TB_AUTOSIZE), msg(WM_DESTROY), msg(WM_NCDESTROY)},
                                MatchMode::InOrder));
    // The recorder goes on working for other windows.
    HWND other = makeToolbar(parent.window);
    ASSERT_TRUE(recorder.attach(other));
    SendMessageA(other, TB_BUTTONCOUNT, 0, 0);
    EXPECT_EQ(recorder.records().back().hwnd, other);
}

namespace {

WNDPROC laterPrevious = nullptr;
int laterCalls = 0;

LRESULT CALLBACK laterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TB_BUTTONCOUNT) ++laterCalls;
    return CallWindowProcW(laterPrevious, window, message, wParam, lParam);
}

} // namespace

TEST(StandinRecorder, DetachRestoresOrStaysInALaterChain) {
    Parent parent;
    HWND toolbar = makeToolbar(parent.window);
    LONG_PTR original = GetWindowLongPtrW(toolbar, GWLP_WNDPROC);
    BOOL unicode = IsWindowUnicode(toolbar);
    {
        MessageRecorder recorder;
        ASSERT_TRUE(recorder.attach(toolbar));
        EXPECT_NE(GetWindowLongPtrW(toolbar, GWLP_WNDPROC), original);
        EXPECT_EQ(IsWindowUnicode(toolbar), unicode);
        MessageRecorder rival;
        EXPECT_FALSE(rival.attach(toolbar)) << "one recorder per window";
        recorder.detach(toolbar);
        EXPECT_EQ(GetWindowLongPtrW(toolbar, GWLP_WNDPROC), original);
    }

    // Someone subclasses after us: detaching must not cut them off.
    MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(toolbar));
    laterPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterSubclass)));
    recorder.detach(toolbar);
    EXPECT_EQ(GetWindowLongPtrW(toolbar, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(laterSubclass));
    laterCalls = 0;
    EXPECT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_EQ(laterCalls, 1);
    EXPECT_EQ(recorder.count(), 0u);
    // Attaching again reuses the procedure still in the chain.
    ASSERT_TRUE(recorder.attach(toolbar));
    SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0);
    EXPECT_TRUE(sequenceMatches(recorder.records(), {msg(TB_BUTTONCOUNT)}));
    recorder.detach(toolbar);
    SetWindowLongPtrW(toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterPrevious));
}
