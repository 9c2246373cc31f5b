// Band helpers: frames, single bands read and changed by hand, rebar traffic
// filters, independent text measurement, look-alike classes and timer waits.
#include "band_helpers.h"

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

namespace bands_test {

namespace {

// Room for the longest title the tests give a band, terminator included.
constexpr int kReadTextChars = 8192;
// Size the rebar gives a band made by a test.
constexpr int kBandWidth = 120;
constexpr int kBandHeight = 24;

HINSTANCE instance() {
    return GetModuleHandleA(nullptr);
}

} // namespace

ULONGLONG nowMs() {
    return static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now().time_since_epoch())
                                      .count());
}

Frame::Frame(const standin::FrameOptions& options) : handles(standin::createFrame(options)) {}

Frame::~Frame() {
    if (IsWindow(handles.frame)) DestroyWindow(handles.frame);
}

standin::FrameOptions frameOptions(const char* bands, bool visible) {
    standin::FrameOptions options;
    lstrcpynA(options.bands, bands, sizeof options.bands);
    options.visible = visible;
    return options;
}

int indexOfBand(HWND rebar, UINT id) {
    return static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
}

Band readBand(HWND rebar, int index) {
    char text[kReadTextChars];
    text[0] = '\0';
    REBARBANDINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID |
                 RBBIM_IDEALSIZE | RBBIM_LPARAM | RBBIM_HEADERSIZE;
    info.lpText = text;
    info.cch = kReadTextChars;
    Band band;
    if (!SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&info))) return band;
    text[kReadTextChars - 1] = '\0';
    band.index = index;
    band.wID = info.wID;
    band.fStyle = info.fStyle;
    band.cxHeader = info.cxHeader;
    band.hwndChild = info.hwndChild;
    band.cx = info.cx;
    band.cxMinChild = info.cxMinChild;
    band.cyMinChild = info.cyMinChild;
    band.cxIdeal = info.cxIdeal;
    band.lParam = info.lParam;
    band.text = text;
    return band;
}

Band bandById(HWND rebar, UINT id) {
    int index = indexOfBand(rebar, id);
    return index >= 0 ? readBand(rebar, index) : Band{};
}

bool bandHidden(HWND rebar, UINT id) {
    return (bandById(rebar, id).fStyle & RBBS_HIDDEN) != 0;
}

void showBandByHand(HWND rebar, UINT id, bool show) {
    SendMessageA(rebar, RB_SHOWBAND, indexOfBand(rebar, id), show ? TRUE : FALSE);
}

namespace {

void writeBand(HWND rebar, UINT id, REBARBANDINFOA& info) {
    info.cbSize = sizeof info;
    SendMessageA(rebar, RB_SETBANDINFOA, indexOfBand(rebar, id), reinterpret_cast<LPARAM>(&info));
}

} // namespace

void setBandStyle(HWND rebar, UINT id, UINT style) {
    REBARBANDINFOA info{};
    info.fMask = RBBIM_STYLE;
    info.fStyle = style;
    writeBand(rebar, id, info);
}

void setBandHeader(HWND rebar, UINT id, UINT cxHeader) {
    REBARBANDINFOA info{};
    info.fMask = RBBIM_HEADERSIZE;
    info.cxHeader = cxHeader;
    writeBand(rebar, id, info);
}

void setBandText(HWND rebar, UINT id, const char* text) {
    REBARBANDINFOA info{};
    info.fMask = RBBIM_TEXT;
    info.lpText = const_cast<char*>(text);
    writeBand(rebar, id, info);
}

void setBandId(HWND rebar, UINT id, UINT newId) {
    REBARBANDINFOA info{};
    info.fMask = RBBIM_ID;
    info.wID = newId;
    writeBand(rebar, id, info);
}

void insertBand(HWND rebar, UINT id, HWND child, const char* text) {
    REBARBANDINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
    info.fStyle = RBBS_CHILDEDGE;
    info.hwndChild = child;
    info.cxMinChild = kBandWidth / 2;
    info.cyMinChild = kBandHeight;
    info.cx = kBandWidth;
    info.wID = id;
    if (text != nullptr) {
        info.fMask |= RBBIM_TEXT;
        info.lpText = const_cast<char*>(text);
    }
    SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
}

tarvik::test::RecorderConfig rebarTraffic() {
    tarvik::test::RecorderConfig config;
    for (UINT message :
         {RB_GETBANDCOUNT, RB_GETBANDINFOA, RB_GETBANDINFOW, RB_SETBANDINFOA, RB_SETBANDINFOW,
          RB_SHOWBAND, RB_INSERTBANDA, RB_INSERTBANDW, RB_DELETEBAND, RB_MOVEBAND, RB_MAXIMIZEBAND,
          RB_MINIMIZEBAND, RB_IDTOINDEX})
        config.recordOnly(message);
    return config;
}

std::vector<tarvik::test::MessageRecord>
recordsOf(const std::vector<tarvik::test::MessageRecord>& records, UINT message) {
    std::vector<tarvik::test::MessageRecord> kept;
    for (const auto& record : records)
        if (record.message == message) kept.push_back(record);
    return kept;
}

SIZE guiTextExtent(const char* text) {
    SIZE size{-1, -1};
    HDC screen = GetDC(nullptr);
    HGDIOBJ kept = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(screen, kept);
    ReleaseDC(nullptr, screen);
    return size;
}

const char* lookAlikeClass(const char* base, const char* name) {
    static std::mutex lock;
    static std::map<std::string, std::string> made;
    std::lock_guard<std::mutex> guard(lock);
    auto found = made.find(name);
    if (found != made.end()) return found->second.c_str();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, base, &wc)) return nullptr;
    wc.hInstance = instance();
    wc.lpszClassName = name;
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassExA(&wc)) return nullptr;
    return made.emplace(name, name).first->second.c_str();
}

HWND createMenuLikeToolbar(HWND parent, const char* className, int id) {
    HWND toolbar =
        CreateWindowExA(0, className, nullptr,
                        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                            CCS_NORESIZE | CCS_NOPARENTALIGN,
                        0, 0, kBandWidth, kBandHeight, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return toolbar;
}

HWND createRebar(HWND parent, const char* className) {
    RECT client{};
    GetClientRect(parent, &client);
    return CreateWindowExA(
        WS_EX_TOOLWINDOW, className, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
            RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP,
        0, 0, client.right > 0 ? client.right : 400, 0, parent, nullptr, instance(), nullptr);
}

bool waitForTick(HWND window, UINT_PTR id, DWORD timeoutMs, Tick* tick, std::vector<Tick>* seen) {
    const UINT_PTR watchdog = SetTimer(nullptr, 0, timeoutMs, nullptr);
    bool found = false;
    MSG message;
    while (!found && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            if (message.hwnd == nullptr && message.wParam == watchdog) break;
            Tick taken{message.hwnd, message.wParam, nowMs()};
            if (seen != nullptr) seen->push_back(taken);
            if (message.hwnd == window && message.wParam == id) {
                found = true;
                if (tick != nullptr) *tick = taken;
            }
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, watchdog);
    return found;
}

} // namespace bands_test
