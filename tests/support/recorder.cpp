// The message recorder: one window procedure shared by every recorded window,
// a process-wide table from window to the procedure it replaced, and per-recorder
// state (configuration, records, callbacks) kept alive by whoever is using it.
#include "recorder.h"

#include <commctrl.h>
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace tarvik::test {

namespace {

// Index of a message the filter did not keep.
constexpr std::uint32_t kNotRecorded = UINT32_MAX;

struct Ticket {
    std::uint32_t index = kNotRecorded;
    std::uint64_t generation = 0;
    bool ranCallbacks = false;
};

} // namespace

struct MessageRecorder::Core {
    struct Hook {
        int id;
        HWND window;
        UINT message;
        Callback fn;
        bool once;
    };

    mutable std::mutex lock;
    RecorderConfig config;
    bool recording = true;
    std::uint64_t generation = 0; // bumped by clear() so late results go nowhere
    std::vector<MessageRecord> records;
    std::vector<Hook> hooks;
    int nextHookId = 1;
    std::vector<HWND> windows;

    bool keeps(UINT message, UINT notifyCode) const;
    const PayloadRule* ruleFor(UINT message) const;
    Ticket before(HWND window, UINT message, WPARAM wParam, LPARAM lParam, std::uint32_t depth);
    void complete(const Ticket& ticket, LRESULT result);
    void forget(HWND window);
};

namespace {

struct Subclass {
    WNDPROC previous;
    bool unicode;
    std::shared_ptr<MessageRecorder::Core> owner; // null: left in a chain, passes through
};

// Lock order: registryLock, then a Core's lock.
std::mutex registryLock;

std::unordered_map<HWND, Subclass>& registry() {
    static std::unordered_map<HWND, Subclass> table;
    return table;
}

thread_local std::uint32_t procDepth = 0;

bool contains(const UINT* list, std::uint32_t count, UINT value) {
    return std::find(list, list + count, value) != list + count;
}

LRESULT CALLBACK recorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass entry{nullptr, true, nullptr};
    {
        std::lock_guard<std::mutex> guard(registryLock);
        auto it = registry().find(window);
        if (it != registry().end()) entry = it->second;
    }
    if (entry.previous == nullptr)
        return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                       : DefWindowProcA(window, message, wParam, lParam);

    Ticket ticket;
    if (entry.owner) ticket = entry.owner->before(window, message, wParam, lParam, procDepth);
    // A callback may have destroyed the window; its procedure must not run again.
    if (ticket.ranCallbacks && !IsWindow(window)) return 0;

    ++procDepth;
    LRESULT result = entry.unicode
                         ? CallWindowProcW(entry.previous, window, message, wParam, lParam)
                         : CallWindowProcA(entry.previous, window, message, wParam, lParam);
    --procDepth;

    if (entry.owner) entry.owner->complete(ticket, result);
    if (message == WM_NCDESTROY) {
        std::lock_guard<std::mutex> guard(registryLock);
        auto it = registry().find(window);
        if (it != registry().end()) {
            if (it->second.owner) it->second.owner->forget(window);
            registry().erase(it);
        }
    }
    return result;
}

LONG_PTR currentProc(HWND window, bool unicode) {
    return unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                   : GetWindowLongPtrA(window, GWLP_WNDPROC);
}

LONG_PTR swapProc(HWND window, bool unicode, LONG_PTR proc) {
    return unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                   : SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
}

// Caller holds registryLock.
void detachLocked(HWND window, const std::shared_ptr<MessageRecorder::Core>& core) {
    auto it = registry().find(window);
    if (it == registry().end() || it->second.owner != core) return;
    if (!IsWindow(window)) {
        registry().erase(it);
        return;
    }
    if (currentProc(window, it->second.unicode) == reinterpret_cast<LONG_PTR>(recorderProc)) {
        swapProc(window, it->second.unicode, reinterpret_cast<LONG_PTR>(it->second.previous));
        registry().erase(it);
    } else {
        it->second.owner.reset();
    }
}

} // namespace

bool isNoiseMessage(UINT message) {
    switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_SYNCPAINT:
    case WM_PRINTCLIENT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETICON:
    case WM_GETOBJECT:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return true;
    default: return false;
    }
}

const PayloadRule* defaultPayloadRules(std::size_t* count) {
    static const PayloadRule rules[] = {
        {TB_SETMETRICS, PayloadSize::LeadingCbSize, 0},
        {TB_GETMETRICS, PayloadSize::LeadingCbSize, 0},
        {RB_SETBANDINFOA, PayloadSize::LeadingCbSize, 0},
        {RB_GETBANDINFOA, PayloadSize::LeadingCbSize, 0},
        {RB_INSERTBANDA, PayloadSize::LeadingCbSize, 0},
        {TB_SETBUTTONINFOA, PayloadSize::LeadingCbSize, 0},
        {TB_GETBUTTONINFOA, PayloadSize::LeadingCbSize, 0},
        {TB_GETIDEALSIZE, PayloadSize::Fixed, sizeof(SIZE)},
        {TB_ADDBUTTONSA, PayloadSize::WParamCount, sizeof(TBBUTTON)},
        {TB_INSERTBUTTONA, PayloadSize::Fixed, sizeof(TBBUTTON)},
    };
    *count = sizeof(rules) / sizeof(rules[0]);
    return rules;
}

bool MessageRecorder::Core::keeps(UINT message, UINT notifyCode) const {
    if (config.skipNoise && isNoiseMessage(message)) return false;
    if (contains(config.skip, config.skipCount, message)) return false;
    if (message == WM_NOTIFY) {
        if (config.skipNoise && notifyCode == static_cast<UINT>(NM_CUSTOMDRAW)) return false;
        if (contains(config.skipNotify, config.skipNotifyCount, notifyCode)) return false;
    }
    if (config.onlyCount != 0 && !contains(config.only, config.onlyCount, message)) return false;
    return true;
}

const PayloadRule* MessageRecorder::Core::ruleFor(UINT message) const {
    for (std::uint32_t i = 0; i < config.ruleCount; ++i)
        if (config.rules[i].message == message) return &config.rules[i];
    if (!config.defaultPayloads) return nullptr;
    std::size_t count = 0;
    const PayloadRule* rules = defaultPayloadRules(&count);
    for (std::size_t i = 0; i < count; ++i)
        if (rules[i].message == message) return &rules[i];
    return nullptr;
}

namespace {

std::uint32_t payloadBytesFor(const PayloadRule& rule, WPARAM wParam, LPARAM lParam) {
    std::uint64_t bytes = 0;
    switch (rule.size) {
    case PayloadSize::Fixed: bytes = rule.bytes; break;
    case PayloadSize::LeadingCbSize: {
        UINT cbSize = 0;
        std::memcpy(&cbSize, reinterpret_cast<const void*>(lParam), sizeof(cbSize));
        bytes = cbSize;
        if (rule.bytes != 0 && bytes > rule.bytes) bytes = rule.bytes;
        break;
    }
    case PayloadSize::WParamCount: bytes = static_cast<std::uint64_t>(wParam) * rule.bytes; break;
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, kPayloadBytes));
}

} // namespace

Ticket MessageRecorder::Core::before(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     std::uint32_t depth) {
    MessageRecord record{};
    record.threadId = GetCurrentThreadId();
    record.depth = depth;
    record.hwnd = window;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    if (message == WM_NOTIFY && lParam != 0) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        record.notifyCode = header->code;
        record.notifyId = header->idFrom;
        record.notifyFrom = header->hwndFrom;
    }

    Ticket ticket;
    std::vector<Callback> due;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (recording && keeps(message, record.notifyCode)) {
            if (const PayloadRule* rule = ruleFor(message); rule != nullptr && lParam != 0) {
                record.payloadBytes = payloadBytesFor(*rule, wParam, lParam);
                std::memcpy(record.payload, reinterpret_cast<const void*>(lParam),
                            record.payloadBytes);
            }
            record.index = static_cast<std::uint32_t>(records.size());
            records.push_back(record);
            ticket.index = record.index;
            ticket.generation = generation;
        } else {
            record.index = kNotRecorded;
        }
        for (auto it = hooks.begin(); it != hooks.end();) {
            if (it->message == message && (it->window == nullptr || it->window == window)) {
                due.push_back(it->fn);
                if (it->once) {
                    it = hooks.erase(it);
                    continue;
                }
            }
            ++it;
        }
    }
    for (const Callback& fn : due)
        fn(record);
    ticket.ranCallbacks = !due.empty();
    return ticket;
}

void MessageRecorder::Core::complete(const Ticket& ticket, LRESULT result) {
    if (ticket.index == kNotRecorded) return;
    std::lock_guard<std::mutex> guard(lock);
    if (ticket.generation != generation || ticket.index >= records.size()) return;
    records[ticket.index].result = result;
    records[ticket.index].flags |= kResultValid;
}

void MessageRecorder::Core::forget(HWND window) {
    std::lock_guard<std::mutex> guard(lock);
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

MessageRecorder::MessageRecorder(const RecorderConfig& config) : core_(std::make_shared<Core>()) {
    core_->config = config;
}

MessageRecorder::~MessageRecorder() {
    detachAll();
}

bool MessageRecorder::attach(HWND window) {
    DWORD process = 0;
    if (!IsWindow(window) || GetWindowThreadProcessId(window, &process) == 0 ||
        process != GetCurrentProcessId())
        return false;
    std::lock_guard<std::mutex> guard(registryLock);
    auto it = registry().find(window);
    if (it != registry().end()) {
        if (it->second.owner && it->second.owner != core_) return false;
        if (!it->second.owner)
            it->second.owner = core_; // our procedure is still in the chain: reuse it
    } else {
        bool unicode = IsWindowUnicode(window) != FALSE;
        // Messages on the window's thread wait on registryLock until `previous` is known.
        LONG_PTR previous = swapProc(window, unicode, reinterpret_cast<LONG_PTR>(recorderProc));
        if (previous == 0) return false;
        registry()[window] = Subclass{reinterpret_cast<WNDPROC>(previous), unicode, core_};
    }
    std::lock_guard<std::mutex> coreGuard(core_->lock);
    if (std::find(core_->windows.begin(), core_->windows.end(), window) == core_->windows.end())
        core_->windows.push_back(window);
    return true;
}

void MessageRecorder::detach(HWND window) {
    {
        std::lock_guard<std::mutex> guard(registryLock);
        detachLocked(window, core_);
    }
    core_->forget(window);
}

void MessageRecorder::detachAll() {
    for (HWND window : windows())
        detach(window);
}

bool MessageRecorder::attached(HWND window) const {
    std::lock_guard<std::mutex> guard(core_->lock);
    return std::find(core_->windows.begin(), core_->windows.end(), window) != core_->windows.end();
}

std::vector<HWND> MessageRecorder::windows() const {
    std::lock_guard<std::mutex> guard(core_->lock);
    return core_->windows;
}

void MessageRecorder::configure(const RecorderConfig& config) {
    std::lock_guard<std::mutex> guard(core_->lock);
    core_->config = config;
}

RecorderConfig MessageRecorder::config() const {
    std::lock_guard<std::mutex> guard(core_->lock);
    return core_->config;
}

void MessageRecorder::setRecording(bool on) {
    std::lock_guard<std::mutex> guard(core_->lock);
    core_->recording = on;
}

void MessageRecorder::clear() {
    std::lock_guard<std::mutex> guard(core_->lock);
    core_->records.clear();
    ++core_->generation;
}

std::vector<MessageRecord> MessageRecorder::records() const {
    std::lock_guard<std::mutex> guard(core_->lock);
    return core_->records;
}

std::vector<MessageRecord> MessageRecorder::recordsFor(HWND window) const {
    std::vector<MessageRecord> result;
    std::lock_guard<std::mutex> guard(core_->lock);
    for (const MessageRecord& record : core_->records)
        if (record.hwnd == window) result.push_back(record);
    return result;
}

std::size_t MessageRecorder::count() const {
    std::lock_guard<std::mutex> guard(core_->lock);
    return core_->records.size();
}

int MessageRecorder::before(HWND window, UINT message, Callback fn, bool once) {
    std::lock_guard<std::mutex> guard(core_->lock);
    int id = core_->nextHookId++;
    core_->hooks.push_back(Core::Hook{id, window, message, std::move(fn), once});
    return id;
}

void MessageRecorder::removeCallback(int id) {
    std::lock_guard<std::mutex> guard(core_->lock);
    auto& hooks = core_->hooks;
    hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                               [id](const Core::Hook& hook) { return hook.id == id; }),
                hooks.end());
}

} // namespace tarvik::test
