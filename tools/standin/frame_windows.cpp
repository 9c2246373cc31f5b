// Window procedures of the stand-in frame. The frame lays out its pieces; the
// container "WorkerW" (or the sink, while it hears the rebar) answers the bars'
// notifications the way a shell frame must for the controls to work: height
// changes re-lay the frame out, the Customize dialog gets its buttons, and a
// right click on the bars opens the toolbar context menu owned by the "WorkerW".
#include "frame_windows.h"

#include <cstring>
#include <mutex>
#include "glyphs.h"
#include "frame.h"
#include "hidden_titles.h"

namespace standin::detail {

namespace {

constexpr wchar_t kFrameProperty[] = L"TarvikStandinFrame";
// Height of the "CommandBarClass" strip of the browser variant, in pixels.
constexpr int kCommandBarHeight = 26;
// A layout settles in two passes; more means the rebar keeps changing its mind.
constexpr int kMaxLayoutPasses = 3;

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

LRESULT CALLBACK frameProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK workerProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK commandBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK pageProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK sinkProc(HWND, UINT, WPARAM, LPARAM);

void registerClass(const wchar_t* name, WNDPROC proc, HBRUSH background, HCURSOR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

int bandIndex(HWND rebar, UINT id) {
    return rebar != nullptr ? static_cast<int>(SendMessageW(rebar, RB_IDTOINDEX, id, 0)) : -1;
}

bool bandVisible(HWND rebar, UINT id) {
    int index = bandIndex(rebar, id);
    if (index < 0) return false;
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    SendMessageW(rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
    return (band.fStyle & RBBS_HIDDEN) == 0;
}

void toggleBand(HWND rebar, UINT id) {
    int index = bandIndex(rebar, id);
    if (index >= 0) SendMessageW(rebar, RB_SHOWBAND, index, bandVisible(rebar, id) ? FALSE : TRUE);
}

UINT checkedIf(bool on) {
    return on ? MF_CHECKED : MF_UNCHECKED;
}

// The toolbar context menu: the first item is checked while the main toolbar shows.
void showBarMenu(HWND owner, FrameState& state, LPARAM where) {
    HWND rebar = state.handles.rebar;
    POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) GetCursorPos(&at);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | checkedIf(bandVisible(rebar, kToolbarBandId)),
                kCommandStandardButtons, L"Standard Buttons");
    AppendMenuW(menu, MF_STRING | checkedIf(bandVisible(rebar, kAddressBandId)), kCommandAddressBar,
                L"Address Bar");
    AppendMenuW(menu, MF_STRING | checkedIf(bandVisible(rebar, kLinksBandId)), kCommandLinks,
                L"Links");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | MF_CHECKED, kCommandLockToolbars, L"Lock the Toolbars");
    AppendMenuW(menu, MF_STRING, kCommandCustomize, L"Customize...");
    // No TPM_RETURNCMD: the choice arrives as a posted WM_COMMAND, as in the shell.
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    DestroyMenu(menu);
}

bool handleBarCommand(FrameState& state, WPARAM wParam) {
    HWND rebar = state.handles.rebar;
    switch (LOWORD(wParam)) {
    case kCommandStandardButtons: toggleBand(rebar, kToolbarBandId); return true;
    case kCommandAddressBar: toggleBand(rebar, kAddressBandId); return true;
    case kCommandLinks: toggleBand(rebar, kLinksBandId); return true;
    case kCommandLockToolbars: return true;
    case kCommandCustomize:
        if (state.handles.mainToolbar != nullptr)
            SendMessageW(state.handles.mainToolbar, TB_CUSTOMIZE, 0, 0);
        return true;
    default: return false;
    }
}

template <class Notify, class Char>
LRESULT giveButtonInfo(FrameState& state, Notify* info) {
    if (info->iItem < 0 || static_cast<size_t>(info->iItem) >= state.customizePool.size())
        return FALSE;
    const CustomizeEntry& entry = state.customizePool[info->iItem];
    info->tbButton = entry.button;
    if (info->pszText != nullptr && info->cchText > 0) {
        int i = 0;
        for (; i < info->cchText - 1 && entry.label[i] != '\0'; ++i)
            info->pszText[i] = static_cast<Char>(entry.label[i]);
        info->pszText[i] = 0;
    }
    return TRUE;
}

// Notifications the rebar forwards from its bands, and its own.
LRESULT handleBarNotify(HWND frame, FrameState& state, const NMHDR* header, bool* handled) {
    *handled = true;
    switch (header->code) {
    case RBN_HEIGHTCHANGE:
        if (!state.building) layoutFrame(frame);
        return 0;
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE: return TRUE;
    case TBN_INITCUSTOMIZE: return TBNRF_HIDEHELP;
    case TBN_GETBUTTONINFOA:
        return giveButtonInfo<NMTOOLBARA, char>(
            state, reinterpret_cast<NMTOOLBARA*>(const_cast<NMHDR*>(header)));
    case TBN_GETBUTTONINFOW:
        return giveButtonInfo<NMTOOLBARW, wchar_t>(
            state, reinterpret_cast<NMTOOLBARW*>(const_cast<NMHDR*>(header)));
    case TBN_DROPDOWN: return TBDDRET_DEFAULT;
    case NM_CUSTOMDRAW:
        // The rebars' own; their toolbars' come through them too and are left alone.
        if (state.options.undrawnHiddenTitles && (header->hwndFrom == state.handles.rebar ||
                                                  header->hwndFrom == state.handles.secondRebar))
            return drawHiddenTitlesAsWindows(*reinterpret_cast<const NMCUSTOMDRAW*>(header));
        *handled = false;
        return 0;
    default: *handled = false; return 0;
    }
}

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetPropW(window, kFrameProperty, create->lpCreateParams);
        break;
    }
    case WM_SIZE:
        if (FrameState* state = frameStateOf(window); state != nullptr && !state->building)
            layoutFrame(window);
        return 0;
    case WM_NOTIFY:
        // Without a "WorkerW" the rebar's parent is the frame itself.
        if (FrameState* state = frameStateOf(window)) {
            bool handled = false;
            LRESULT result =
                handleBarNotify(window, *state, reinterpret_cast<NMHDR*>(lParam), &handled);
            if (handled) return result;
        }
        break;
    case WM_CONTEXTMENU:
        if (FrameState* state = frameStateOf(window); state != nullptr && !state->options.worker) {
            showBarMenu(window, *state, lParam);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (FrameState* state = frameStateOf(window);
            state != nullptr && handleBarCommand(*state, wParam))
            return 0;
        break;
    case WM_DESTROY:
        if (FrameState* state = frameStateOf(window);
            state != nullptr && state->handles.notifySink != nullptr)
            DestroyWindow(state->handles.notifySink);
        break;
    case WM_NCDESTROY: {
        auto* state = static_cast<FrameState*>(RemovePropW(window, kFrameProperty));
        // A toolbar leaves its image lists to whoever made them ("the application is
        // responsible for freeing the image list after the toolbar is destroyed",
        // TB_SETIMAGELIST). A browser frame's lists are its own; Explorer's are the shell's.
        if (state != nullptr && !state->options.shareImageLists &&
            (state->options.frameClass == FrameClass::Browser ||
             state->options.frameClass == FrameClass::BrowserWithCommandBar))
            for (HIMAGELIST list : {state->handles.normalList, state->handles.hotList,
                                    state->handles.secondNormalList, state->handles.secondHotList})
                if (list != nullptr) ImageList_Destroy(list);
        delete state;
        break;
    }
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void paintLogo(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    drawLogo(dc, client);
    EndPaint(window, &paint);
}

LRESULT CALLBACK workerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto role = static_cast<WorkerRole>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (role == WorkerRole::Logo) {
        if (message == WM_ERASEBKGND) return 1;
        if (message == WM_PAINT) {
            paintLogo(window);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (role != WorkerRole::Container) return DefWindowProcW(window, message, wParam, lParam);

    HWND frame = GetAncestor(window, GA_ROOT);
    FrameState* state = frameStateOf(frame);
    if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_NOTIFY: {
        bool handled = false;
        LRESULT result = handleBarNotify(frame, *state, reinterpret_cast<NMHDR*>(lParam), &handled);
        if (handled) return result;
        break;
    }
    case WM_CONTEXTMENU: showBarMenu(window, *state, lParam); return 0;
    case WM_COMMAND:
        if (handleBarCommand(*state, wParam)) return 0;
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK commandBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        client.left += 8;
        DrawTextW(dc, L"Page \x25BE   Tools \x25BE", -1, &client,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 51, 153));
        RECT line{client.left + 24, client.top + 20, client.right - 24, client.top + 44};
        DrawTextW(dc, L"Welcome to the stand-in browser page", -1, &line, DT_SINGLELINE);
        SetTextColor(dc, RGB(60, 60, 60));
        OffsetRect(&line, 0, 28);
        DrawTextW(dc, L"about:blank", -1, &line, DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK sinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NOTIFY) {
        auto* state = reinterpret_cast<FrameState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (state != nullptr && state->handles.frame != nullptr) {
            bool handled = false;
            LRESULT result = handleBarNotify(state->handles.frame, *state,
                                             reinterpret_cast<NMHDR*>(lParam), &handled);
            if (handled) return result;
        }
    } else if (message == WM_NCDESTROY) {
        auto* state = reinterpret_cast<FrameState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (state != nullptr) state->handles.notifySink = nullptr;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Fits a rebar to a width and returns the height it chose for itself.
int fitRebar(HWND rebar, int y, int width) {
    RECT now;
    GetWindowRect(rebar, &now);
    int height = now.bottom - now.top;
    MoveWindow(rebar, 0, y, width, height > 0 ? height : 1, TRUE);
    int wanted = static_cast<int>(SendMessageW(rebar, RB_GETBARHEIGHT, 0, 0));
    if (wanted != height) MoveWindow(rebar, 0, y, width, wanted, TRUE);
    return wanted;
}

void layoutOnce(HWND frame, FrameHandles& h) {
    RECT client;
    GetClientRect(frame, &client);
    int width = client.right - client.left;
    int top = 0;
    if (h.commandBar != nullptr) {
        MoveWindow(h.commandBar, 0, top, width, kCommandBarHeight, TRUE);
        top += kCommandBarHeight;
    }
    // Rebars sit at the top of the "WorkerW", or straight in the frame without one.
    int barsTop = h.worker != nullptr ? 0 : top;
    int bars = 0;
    if (h.rebar != nullptr) bars += fitRebar(h.rebar, barsTop + bars, width);
    if (h.secondRebar != nullptr) bars += fitRebar(h.secondRebar, barsTop + bars, width);
    if (h.worker != nullptr) MoveWindow(h.worker, 0, top, width, bars, TRUE);
    top += bars;
    int statusHeight = 0;
    if (h.statusBar != nullptr) {
        SendMessageW(h.statusBar, WM_SIZE, 0, 0);
        RECT status;
        GetWindowRect(h.statusBar, &status);
        statusHeight = status.bottom - status.top;
    }
    if (h.content != nullptr)
        MoveWindow(h.content, 0, top, width, client.bottom - top - statusHeight, TRUE);
}

} // namespace

void registerWindowClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                                            ICC_LISTVIEW_CLASSES |
                                                            ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
        for (FrameClass kind :
             {FrameClass::Explorer, FrameClass::ExplorerTree, FrameClass::Browser}) {
            const char* name = frameClassName(kind);
            wchar_t wide[32] = {};
            for (int i = 0; name[i] != '\0' && i < 31; ++i)
                wide[i] = static_cast<wchar_t>(name[i]);
            registerClass(wide, frameProc, face, arrow);
        }
        registerClass(kWorkerClass, workerProc, face, arrow);
        registerClass(kCommandBarClass, commandBarProc, face, arrow);
        registerClass(kPageClass, pageProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                      arrow);
        registerClass(kSinkClass, sinkProc, nullptr, arrow);
    });
}

FrameState* frameStateOf(HWND frame) {
    return frame != nullptr ? static_cast<FrameState*>(GetPropW(frame, kFrameProperty)) : nullptr;
}

HWND createWorker(HWND parent, WorkerRole role, DWORD style, int width, int height) {
    return CreateWindowExW(0, kWorkerClass, L"", WS_CHILD | style, 0, 0, width, height, parent,
                           nullptr, instance(), reinterpret_cast<void*>(role));
}

HWND createSink(FrameState* state) {
    return CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance(),
                           state);
}

HWND createCommandBar(HWND frame) {
    return CreateWindowExW(0, kCommandBarClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                           kCommandBarHeight, frame, nullptr, instance(), nullptr);
}

HWND createPage(HWND frame) {
    return CreateWindowExW(WS_EX_CLIENTEDGE, kPageClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           frame, nullptr, instance(), nullptr);
}

void layoutFrame(HWND frame) {
    FrameState* state = frameStateOf(frame);
    if (state == nullptr) return;
    if (state->inLayout) {
        state->layoutAgain = true;
        return;
    }
    state->inLayout = true;
    int passes = 0;
    do {
        state->layoutAgain = false;
        layoutOnce(frame, state->handles);
    } while (state->layoutAgain && ++passes < kMaxLayoutPasses);
    state->inLayout = false;
}

} // namespace standin::detail
