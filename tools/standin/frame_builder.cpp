// Builds a stand-in frame: frame window, "WorkerW", rebar and its bands in the
// order the options give, the client area, and the odd extras tests ask for.
#include "frame.h"

#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <tuple>
#include "frame_windows.h"
#include "glyphs.h"
#include "late_rebar.h"
#include "toolbar_metrics.h"
#include "toolbars.h"
#include "standin/comctl/toolbar_modules.h"

namespace standin {

using detail::FrameState;
using detail::WorkerRole;

namespace {

// Logo band child, as the shell's brand band: a small square-ish window.
constexpr int kLogoWidth = 38;
constexpr int kLogoHeight = 22;
// Width the address band asks for; the rebar gives it the rest of its row.
constexpr int kAddressWidth = 400;
constexpr int kAddressDropHeight = 200; // the combo box's list, when dropped
// List-view icons: the shell's 32x32 large icons.
constexpr int kContentIconSize = 32;
// A toolbar band asks for its toolbar's width plus room for the gripper and edges.
constexpr int kBandSlack = 16;

constexpr UINT kBandStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;

const wchar_t* defaultTitle(FrameClass frameClass) {
    switch (frameClass) {
    case FrameClass::Explorer: return L"My Documents";
    case FrameClass::ExplorerTree: return L"Exploring - My Documents";
    case FrameClass::Browser:
    case FrameClass::BrowserWithCommandBar: return L"about:blank - Microsoft Internet Explorer";
    }
    return L"";
}

bool isBrowser(FrameClass frameClass) {
    return frameClass == FrameClass::Browser || frameClass == FrameClass::BrowserWithCommandBar;
}

int imageSizeOf(const FrameOptions& options) {
    if (options.imageSize > 0) return options.imageSize;
    return options.large ? kLargeImageSize : kSmallImageSize;
}

// Process-wide lists, as Explorer's windows share the shell's toolbar lists.
// Toolbars of different modules never share: each module has its own lists.
HIMAGELIST sharedList(bool browser, int size, int count, bool hot, ToolbarModule module) {
    static std::mutex lock;
    static std::map<std::tuple<bool, int, int, bool, ToolbarModule>, HIMAGELIST> lists;
    std::lock_guard<std::mutex> guard(lock);
    HIMAGELIST& list = lists[std::make_tuple(browser, size, count, hot, module)];
    if (list == nullptr) list = createNativeImageList(size, count, hot);
    return list;
}

HIMAGELIST nativeList(const FrameOptions& options, bool hot) {
    int size = imageSizeOf(options);
    if (options.shareImageLists)
        return sharedList(isBrowser(options.frameClass), size, options.imageCount, hot,
                          resolveToolbarModule(options.toolbarModule));
    return createNativeImageList(size, options.imageCount, hot);
}

void insertBand(HWND rebar, UINT id, HWND child, UINT style, const char* text, int minWidth,
                int minHeight, int ideal, int width) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof(band);
    band.fMask =
        RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_IDEALSIZE;
    band.fStyle = style;
    band.hwndChild = child;
    band.cxMinChild = minWidth;
    band.cyMinChild = minHeight;
    band.cxIdeal = ideal;
    band.cx = width;
    band.wID = id;
    if (text != nullptr && text[0] != '\0') {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<char*>(text);
    }
    SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void insertToolbarBand(HWND rebar, UINT id, HWND toolbar, UINT style, const char* text) {
    BarSize size = measureToolbar(toolbar);
    insertBand(rebar, id, toolbar, style, text, size.first, size.height, size.ideal,
               size.ideal + kBandSlack);
}

HWND createRebar(HWND parent, int width) {
    HWND rebar = CreateWindowExW(
        WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
            RBS_BANDBORDERS | RBS_DBLCLKTOGGLE | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP,
        0, 0, width, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRebarId)),
        GetModuleHandleW(nullptr), nullptr);
    REBARINFO bar{};
    bar.cbSize = sizeof(bar);
    SendMessageW(rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&bar));
    return rebar;
}

HWND createAddress(HWND rebar, bool browser) {
    HWND combo = CreateWindowExW(0, WC_COMBOBOXEXW, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CBS_DROPDOWN, 0, 0,
                                 kAddressWidth, kAddressDropHeight, rebar,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAddressId)),
                                 GetModuleHandleW(nullptr), nullptr);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = 0;
    wchar_t text[64];
    lstrcpyW(text, browser ? L"about:blank" : L"C:\\Documents and Settings\\User\\My Documents");
    item.pszText = text;
    SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return combo;
}

int windowHeight(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

void fillCustomizePool(FrameState& state, const char* pattern, int imageCount) {
    int button = 0;
    for (const char* letter = pattern; *letter != '\0'; ++letter) {
        BYTE style = buttonStyleFor(*letter);
        if (style == kNotAButton || (style & BTNS_SEP)) continue;
        int image = imageCount > 0 ? button % imageCount : 0;
        detail::CustomizeEntry entry{};
        entry.button.iBitmap = image;
        entry.button.idCommand = kFirstButtonCommand + button;
        entry.button.fsState = TBSTATE_ENABLED;
        entry.button.fsStyle = style;
        entry.label = mainButtonLabel(image);
        state.customizePool.push_back(entry);
        ++button;
    }
}

void buildClientArea(FrameState& state, HWND frame, bool browser) {
    FrameHandles& h = state.handles;
    h.statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, browser ? L"Done" : L"6 objects",
                                  WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (browser) {
        h.content = detail::createPage(frame);
        return;
    }
    h.content =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"FolderView",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_ICON | LVS_AUTOARRANGE, 0, 0,
                        0, 0, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)),
                        GetModuleHandleW(nullptr), nullptr);
    static constexpr Glyph kinds[] = {Glyph::Folders, Glyph::Document};
    static constexpr COLORREF fills[] = {RGB(240, 200, 80), RGB(250, 250, 250)};
    HIMAGELIST icons =
        createGlyphList(kContentIconSize, kinds, fills, static_cast<int>(std::size(kinds)));
    SendMessageW(h.content, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
    struct Item {
        const wchar_t* name;
        int image; // index into kinds
    };
    static constexpr Item items[] = {{L"My Music", 0},  {L"My Pictures", 0}, {L"My Videos", 0},
                                     {L"Downloads", 0}, {L"notes.txt", 1},   {L"report.doc", 1}};
    for (int i = 0; i < static_cast<int>(std::size(items)); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.iImage = items[i].image;
        item.pszText = const_cast<wchar_t*>(items[i].name);
        SendMessageW(h.content, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void addBand(FrameState& state, char letter, bool browser) {
    FrameHandles& h = state.handles;
    const FrameOptions& o = state.options;
    HWND rebar = h.rebar;
    switch (letter) {
    case kMenuBandLetter:
        h.menuToolbar = createMenuToolbar(rebar);
        insertToolbarBand(rebar, kMenuBandId, h.menuToolbar, kBandStyle, nullptr);
        break;
    case kToolbarBandLetter:
        h.normalList = o.normalImages ? nativeList(o, false) : nullptr;
        h.hotList = o.hotImages ? nativeList(o, true) : nullptr;
        h.mainToolbar =
            createMainToolbar(rebar, kMainToolbarId, o.buttons, o.imageCount, h.normalList,
                              h.hotList, toolbarModuleInstance(o.toolbarModule));
        fillCustomizePool(state, o.buttons, o.imageCount);
        insertToolbarBand(rebar, kToolbarBandId, h.mainToolbar,
                          kBandStyle | RBBS_BREAK | RBBS_USECHEVRON, nullptr);
        break;
    case kAddressBandLetter:
        h.addressChild = createAddress(rebar, browser);
        insertBand(rebar, kAddressBandId, h.addressChild, kBandStyle | RBBS_BREAK, o.addressTitle,
                   kAddressWidth / 4, windowHeight(h.addressChild), kAddressWidth, kAddressWidth);
        break;
    case kLinksBandLetter:
        h.linksToolbar = createLinksToolbar(rebar);
        insertToolbarBand(rebar, kLinksBandId, h.linksToolbar, kBandStyle, o.linksTitle);
        break;
    case kLogoBandLetter:
        h.logoWorker =
            detail::createWorker(rebar, WorkerRole::Logo, WS_VISIBLE, kLogoWidth, kLogoHeight);
        insertBand(rebar, kLogoBandId, h.logoWorker, RBBS_FIXEDSIZE | RBBS_NOGRIPPER, nullptr,
                   kLogoWidth, kLogoHeight, kLogoWidth, kLogoWidth);
        break;
    default: break;
    }
}

} // namespace

const char* frameClassName(FrameClass frameClass) {
    switch (frameClass) {
    case FrameClass::Explorer: return "CabinetWClass";
    case FrameClass::ExplorerTree: return "ExploreWClass";
    case FrameClass::Browser:
    case FrameClass::BrowserWithCommandBar: return "IEFrame";
    }
    return "CabinetWClass";
}

FrameHandles createFrame(const FrameOptions& options) {
    detail::registerWindowClasses();
    auto* state = new FrameState{};
    state->options = options;
    state->options.buttons[kPatternChars - 1] = '\0';
    state->options.bands[sizeof(state->options.bands) - 1] = '\0';
    state->options.addressTitle[kTitleChars - 1] = '\0';
    state->options.linksTitle[kTitleChars - 1] = '\0';
    state->options.title[sizeof(state->options.title) - 1] = '\0';
    if (state->options.imageCount > kMaxNativeImages) state->options.imageCount = kMaxNativeImages;
    const FrameOptions& o = state->options;
    FrameHandles& h = state->handles;
    h.threadId = GetCurrentThreadId();
    h.imageSize = imageSizeOf(o);
    bool browser = isBrowser(o.frameClass);

    wchar_t className[32] = {};
    const char* narrow = frameClassName(o.frameClass);
    for (int i = 0; narrow[i] != '\0' && i < 31; ++i)
        className[i] = static_cast<wchar_t>(narrow[i]);
    wchar_t title[64] = {};
    if (o.title[0] != '\0')
        MultiByteToWideChar(CP_ACP, 0, o.title, -1, title, 64);
    else
        lstrcpynW(title, defaultTitle(o.frameClass), 64);

    HWND frame =
        CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, o.x, o.y,
                        o.width, o.height, nullptr, nullptr, GetModuleHandleW(nullptr), state);
    if (frame == nullptr) {
        delete state;
        return FrameHandles{};
    }
    h.frame = frame;
    RECT client;
    GetClientRect(frame, &client);
    int width = client.right - client.left;

    // Made first, so walks over the frame meet it before anything else.
    if (o.strayWorker) h.strayWorker = detail::createWorker(frame, WorkerRole::Stray, 0, 0, 0);
    if (o.frameClass == FrameClass::BrowserWithCommandBar)
        h.commandBar = detail::createCommandBar(frame);
    HWND container = frame;
    if (o.worker) {
        h.worker = detail::createWorker(frame, WorkerRole::Container,
                                        WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, width, 0);
        container = h.worker;
    }
    if (o.routing != NotifyRouting::Direct) h.notifySink = detail::createSink(state);

    h.rebar = createRebar(container, width);
    if (h.notifySink != nullptr)
        SendMessageW(h.rebar, RB_SETPARENT, reinterpret_cast<WPARAM>(h.notifySink), 0);
    for (const char* letter = o.bands; *letter != '\0'; ++letter)
        addBand(*state, *letter, browser);
    if (o.secondMainToolbar) {
        h.secondNormalList = o.normalImages ? nativeList(o, false) : nullptr;
        h.secondHotList = o.hotImages ? nativeList(o, true) : nullptr;
        h.secondMainToolbar =
            createMainToolbar(h.rebar, kMainToolbarId, o.buttons, o.imageCount, h.secondNormalList,
                              h.secondHotList, toolbarModuleInstance(o.toolbarModule));
        insertToolbarBand(h.rebar, kSecondToolbarBandId, h.secondMainToolbar,
                          kBandStyle | RBBS_BREAK, nullptr);
    }
    if (o.secondRebar) {
        h.secondRebar = createRebar(container, width);
        if (h.notifySink != nullptr)
            SendMessageW(h.secondRebar, RB_SETPARENT, reinterpret_cast<WPARAM>(h.notifySink), 0);
        h.secondLogoWorker = detail::createWorker(h.secondRebar, WorkerRole::Logo, WS_VISIBLE,
                                                  kLogoWidth, kLogoHeight);
        insertBand(h.secondRebar, kLogoBandId, h.secondLogoWorker, RBBS_FIXEDSIZE | RBBS_NOGRIPPER,
                   nullptr, kLogoWidth, kLogoHeight, kLogoWidth, kLogoWidth);
    }
    buildClientArea(*state, frame, browser);

    // The first layout is part of the build: the sink still hears it.
    state->building = false;
    detail::layoutFrame(frame);
    if (o.routing == NotifyRouting::AwayWhileBuilding) {
        for (HWND rebar : {h.rebar, h.secondRebar})
            if (rebar != nullptr)
                SendMessageW(rebar, RB_SETPARENT, reinterpret_cast<WPARAM>(container), 0);
    }
    if (o.answerMetrics)
        for (HWND toolbar : {h.mainToolbar, h.secondMainToolbar})
            detail::answerToolbarMetrics(toolbar);
    if (o.lateChildSize) detail::reportChildSizeLate(h.rebar);
    if (o.visible) {
        ShowWindow(frame, SW_SHOWNORMAL);
        UpdateWindow(frame);
    }
    return h;
}

bool findFrame(HWND frame, FrameHandles* handles) {
    DWORD process = 0;
    if (!IsWindow(frame) || GetWindowThreadProcessId(frame, &process) == 0 ||
        process != GetCurrentProcessId())
        return false;
    FrameState* state = detail::frameStateOf(frame);
    if (state == nullptr) return false;
    if (handles != nullptr) *handles = state->handles;
    return true;
}

bool destroyFrame(HWND frame) {
    if (!findFrame(frame, nullptr)) return false;
    return DestroyWindow(frame) != FALSE;
}

void relayoutFrame(HWND frame) {
    detail::layoutFrame(frame);
}

} // namespace standin
