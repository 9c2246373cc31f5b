// The end-to-end bench.
#include "hook_bench.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "message_names.h"
#include "private_messages.h"
#include "pump.h"
#include "standin/ledger_protocol.h"
#include "standin/relay_protocol.h"

namespace hooktest {

using tarvik::test::kPrivateMessages;

namespace {

// Message of the hold window; the host thread waits this long for the callback.
constexpr UINT kHoldMessage = WM_APP + 0x51;
constexpr DWORD kHoldAnswerMs = 8000;

std::string hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%06lx", static_cast<unsigned long>(colour));
    return text;
}

} // namespace

standin::FrameOptions frameOptions(FrameClass frameClass, bool large, bool visible) {
    standin::FrameOptions options;
    options.frameClass = frameClass;
    options.large = large;
    options.visible = visible;
    return options;
}

COLORREF controllerColour(int slot, bool hot, int set) {
    return RGB(10 + slot, hot ? 70 : 40, 20 + 20 * set + (hot ? 5 : 0));
}

IconTables makeHostIcons(RemoteShell& host, int size, int set) {
    IconTables tables;
    for (bool hot : {false, true}) {
        std::vector<COLORREF> colours;
        for (int slot = 0; slot < kSlots; ++slot)
            colours.push_back(controllerColour(slot, hot, set));
        auto made = host.createIcons(size, colours);
        if (!made) {
            tables.error = made.error;
            return tables;
        }
        (hot ? tables.hot : tables.normal) = *made;
    }
    return tables;
}

std::vector<COLORREF> controllerColours(int count, bool hot, int set) {
    std::vector<COLORREF> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(controllerColour(i, hot, set));
    return colours;
}

std::vector<COLORREF> nativeColours(int count, bool hot) {
    std::vector<COLORREF> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(standin::nativeColor(i, hot));
    return colours;
}

::testing::AssertionResult hostListHolds(RemoteShell& host, HWND toolbar, bool hot, int size,
                                         const std::vector<COLORREF>& centres) {
    auto info = host.imageList(toolbar, hot);
    if (!info) return ::testing::AssertionFailure() << "host: " << info.error;
    std::vector<COLORREF> seen(info->centre, info->centre + info->described);
    if (info->cx == size && info->cy == size && info->count == static_cast<int>(centres.size()) &&
        seen == centres)
        return ::testing::AssertionSuccess();
    std::ostringstream report;
    report << (hot ? "hot" : "normal") << " list holds " << info->count << " images of " << info->cx
           << "x" << info->cy << ", expected " << centres.size() << " of " << size << "x" << size
           << "\n";
    for (size_t i = 0; i < std::max(seen.size(), centres.size()); ++i) {
        const std::string got = i < seen.size() ? hex(seen[i]) : "-";
        const std::string want = i < centres.size() ? hex(centres[i]) : "-";
        report << "  image " << i << ": " << got << (got == want ? "" : "  expected " + want)
               << "\n";
    }
    return ::testing::AssertionFailure() << report.str();
}

standin::BandRecord hostBand(RemoteShell& host, HWND rebar, UINT id) {
    auto bands = host.bands(rebar);
    EXPECT_TRUE(bands) << bands.error;
    for (const standin::BandRecord& band : *bands)
        if (band.wID == id) return band;
    ADD_FAILURE() << "no band " << id;
    return standin::BandRecord{};
}

bool hostBandHidden(RemoteShell& host, HWND rebar, UINT id) {
    return (hostBand(host, rebar, id).fStyle & RBBS_HIDDEN) != 0;
}

std::vector<BYTE> hostButtonStyles(RemoteShell& host, HWND toolbar) {
    auto buttons = host.buttons(toolbar);
    EXPECT_TRUE(buttons) << buttons.error;
    std::vector<BYTE> styles;
    for (const standin::ButtonRecord& button : *buttons)
        styles.push_back(button.fsStyle);
    return styles;
}

std::vector<MessageRecord> recordsFor(const std::vector<MessageRecord>& records, HWND window) {
    std::vector<MessageRecord> mine;
    for (const MessageRecord& record : records)
        if (record.hwnd == window) mine.push_back(record);
    return mine;
}

int countOf(const std::vector<MessageRecord>& records, HWND window, UINT message) {
    int count = 0;
    for (const MessageRecord& record : records)
        count += record.hwnd == window && record.message == message;
    return count;
}

int countOf(const std::vector<MessageRecord>& records, HWND window, UINT message, WPARAM wParam) {
    int count = 0;
    for (const MessageRecord& record : records)
        count += record.hwnd == window && record.message == message && record.wParam == wParam;
    return count;
}

RecorderConfig privateMessagesOnly() {
    nameThePrivateMessages();
    RecorderConfig config;
    for (UINT message : kPrivateMessages)
        config.recordOnly(message);
    return config;
}

Expected privateMessage(HWND frame, UINT message, WPARAM wParam, LPARAM kind) {
    return tarvik::test::msg(message).on(frame).wparam(wParam).lparam(kind);
}

std::string startHostLedger(RemoteShell& host) {
    standin::wire::LedgerBody body{};
    const std::string path = besideThisProgram(TARVIK_DLL_NAME);
    std::strncpy(body.path, path.c_str(), sizeof(body.path) - 1);
    return host.call<standin::wire::LedgerReply>(standin::wire::Request::InstallIconLedger, body)
        .error;
}

standin::Remote<tarvik::test::IconLedgerCounts> hostLedger(RemoteShell& host) {
    return host.call<tarvik::test::IconLedgerCounts>(standin::wire::Request::IconLedgerCounts);
}

::testing::AssertionResult ledgerBalanced(const tarvik::test::IconLedgerCounts& c) {
    if (c.destroyedTwice == 0 && c.destroyedOther == 0 && c.live == 0 && c.destroyed == c.created)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "created " << c.created << ", destroyed " << c.destroyed << ", live " << c.live
           << ", destroyed twice " << c.destroyedTwice << ", destroyed but not made there "
           << c.destroyedOther;
}

bool sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    const bool answered = SendMessageTimeoutA(window, message, wParam, lParam,
                                              SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &answer) != 0;
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return answered;
}

namespace {

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (processId != search->processId || std::strcmp(name, "#32770") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND dialogOf(const RemoteShell& host) {
    DialogSearch search{host.processId(), nullptr};
    EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HostThreadHold::HostThreadHold() {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &HostThreadHold::proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TarvikHookTestHold";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    window_ = CreateWindowExA(0, "TarvikHookTestHold", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HostThreadHold::~HostThreadHold() {
    if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK HostThreadHold::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHoldMessage) {
        auto* self = reinterpret_cast<HostThreadHold*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && self->callback_ != nullptr) (*self->callback_)();
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool HostThreadHold::hold(RemoteShell& host, HWND hostWindow,
                          const std::function<void()>& whileHeld, std::string* error) {
    callback_ = &whileHeld;
    standin::wire::RelayBody body{hostWindow, window_, kHoldMessage, 0, 0, kHoldAnswerMs};
    auto reply =
        host.call<standin::wire::RelayReply>(standin::wire::Request::SendFromWindowThread, body);
    callback_ = nullptr;
    if (error != nullptr) *error = reply ? std::string() : reply.error;
    return reply && reply->answered && reply->result == 1;
}

void HookBench::SetUp() {
    nameThePrivateMessages();
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    notify = CreateWindowExA(0, "STATIC", "controller", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(notify, nullptr);
}

// Windows of this process stay to the end of the process (each case runs in its own):
// without a window manager Wine waits for every shown window it hides or destroys.
void HookBench::TearDown() {
    if (installed && library.uninstallHook != nullptr) library.uninstallHook();
    installed = false;
    for (auto& host : hosts)
        host->stop();
    hosts.clear();
}

void HookBench::install() {
    ASSERT_EQ(library.installHook(library.module, notify), 0);
    installed = true;
    ASSERT_NE(library.shared->hookCallWndProc, nullptr);
    ASSERT_NE(library.shared->hookCallWndProcRet, nullptr);
    ASSERT_NE(library.shared->hookGetMessage, nullptr);
    ASSERT_NE(library.shared->hookMouse, nullptr);
    ASSERT_NE(library.shared->hookKeyboard, nullptr);
    ASSERT_NE(library.shared->hookKeyboardLL, nullptr);
}

RemoteShell& HookBench::startHost(int threads) {
    hosts.push_back(std::make_unique<RemoteShell>());
    standin::HostOptions options;
    options.threads = threads;
    EXPECT_TRUE(hosts.back()->start(options)) << hosts.back()->lastError();
    return *hosts.back();
}

FrameHandles HookBench::hostFrame(RemoteShell& host, const standin::FrameOptions& options,
                                  int thread) {
    auto made = host.createFrame(options, thread);
    EXPECT_TRUE(made) << made.error;
    return made ? *made : FrameHandles{};
}

HWND HookBench::hostTaskbar(RemoteShell& host) {
    auto taskbar = host.createTaskbar();
    EXPECT_TRUE(taskbar) << taskbar.error;
    if (!taskbar) return nullptr;
    EXPECT_EQ(FindWindowA("Shell_TrayWnd", nullptr), *taskbar)
        << "restoreAllToolbar_EXPIE would find another taskbar";
    return *taskbar;
}

HWND HookBench::otherWindow() {
    // No system menu: an Alt tap here must not start a menu loop on this thread.
    if (other == nullptr)
        other =
            CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_BORDER | WS_VISIBLE, 860,
                            560, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return other;
}

::testing::AssertionResult HookBench::record(RemoteShell& host, const std::vector<HWND>& windows,
                                             const RecorderConfig& config) {
    auto started = host.startRecording(windows, config);
    if (!started) return ::testing::AssertionFailure() << started.error;
    if (*started != static_cast<int>(windows.size()))
        return ::testing::AssertionFailure() << "attached " << *started << " windows";
    return ::testing::AssertionSuccess();
}

std::vector<MessageRecord> HookBench::records(RemoteShell& host) {
    auto fetched = host.records();
    EXPECT_TRUE(fetched) << fetched.error;
    return fetched ? *fetched : std::vector<MessageRecord>{};
}

bool HookBench::waitForRecords(RemoteShell& host,
                               const std::function<bool(const std::vector<MessageRecord>&)>& done,
                               DWORD timeoutMs) {
    return tarvik::test::pumpUntil(
        [&] {
            auto fetched = host.records();
            return fetched && done(*fetched);
        },
        timeoutMs);
}

} // namespace hooktest
