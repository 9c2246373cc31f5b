// Shapes: frames built band by band as a ShapePlan says, their look as text, and the
// chaos that changes them while the library works. Chaos acts inside a message the rebar
// receives, before the rebar handles it: the library, walking the bands by index or
// holding the frame's windows, then finds them changed under it, while the rebar itself
// is never changed in the middle of its own work.
#include "shapes.h"

#include <commctrl.h>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>
#include "frame_options.h"
#include "frame_windows.h"
#include "glyphs.h"
#include "images.h"
#include "toolbars.h"

namespace standin {

namespace {

using detail::WorkerRole;

constexpr wchar_t kOtherClass[] = L"TarvikShapeOther";
constexpr wchar_t kPaneClass[] = L"TarvikShapePane";
constexpr wchar_t kChaosClass[] = L"TarvikShapeChaos";
constexpr wchar_t kOldProc[] = L"TarvikShapeProc";
constexpr wchar_t kShapeState[] = L"TarvikShapeState";
constexpr int kWidth = 560, kHeight = 240;
constexpr int kImages = kDefaultImageCount;
constexpr int kStaticWidth = 80, kStaticHeight = 22;
constexpr UINT kFirstChaosBandId = 40;
// Wine's rebar marks a band whose header width was set; not part of the look.
constexpr UINT kFixedHeaderBit = 0x40000000;

struct ShapeState {
    HWND frame;
    HWND rebar; // chaos adds and removes bands here
    ShapeChaos chaos;
    int after;
    int seen;
    bool done;
};

std::mutex lock;
std::vector<std::unique_ptr<ShapeState>> states; // kept: a dead frame's messages may come late
std::map<std::pair<int, bool>, HIMAGELIST> sharedLists;
LONG armed = 0;
LONG acts = 0;
thread_local int quiet = 0; // reading a look, or acting: no counting

HINSTANCE instance() {
    return GetModuleHandleW(nullptr);
}

void registerClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const wchar_t* name : {kOtherClass, kPaneClass, kChaosClass}) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = instance();
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            wc.lpszClassName = name;
            RegisterClassExW(&wc);
        }
    });
}

HWND child(const wchar_t* className, HWND parent, int id, const wchar_t* text = L"") {
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE, 0, 0, kStaticWidth,
                           kStaticHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance(), nullptr);
}

void insertBand(HWND rebar, int index, UINT id, HWND window, const char* title) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
    band.wID = id;
    band.cx = kStaticWidth + 40;
    if (window != nullptr) {
        RECT size{};
        GetWindowRect(window, &size);
        band.fMask |= RBBIM_CHILD | RBBIM_CHILDSIZE;
        band.hwndChild = window;
        band.cxMinChild = static_cast<UINT>(size.right - size.left) / 2;
        band.cyMinChild = static_cast<UINT>(size.bottom - size.top);
        band.cx = static_cast<UINT>(size.right - size.left) + 40;
    }
    if (title != nullptr && title[0] != '\0') {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<char*>(title);
    }
    SendMessageA(rebar, RB_INSERTBANDA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&band));
}

HIMAGELIST listFor(const ShapePlan& plan, bool hot) {
    if (!plan.shareLists) return createNativeImageList(plan.imageSize, kImages, hot);
    std::lock_guard<std::mutex> guard(lock);
    HIMAGELIST& list = sharedLists[{plan.imageSize, hot}];
    if (list == nullptr) list = createNativeImageList(plan.imageSize, kImages, hot);
    return list;
}

HWND mainToolbar(const ShapePlan& plan, HWND parent) {
    return createMainToolbar(parent, plan.mainToolbarId, plan.mainButtons, kImages,
                             plan.normalImages ? listFor(plan, false) : nullptr,
                             plan.hotImages ? listFor(plan, true) : nullptr, instance());
}

HWND otherToolbar(const ShapePlan& plan, HWND parent) {
    return createMainToolbar(parent, plan.otherToolbarId, plan.otherButtons, kImages,
                             createNativeImageList(plan.imageSize, kImages, false),
                             createNativeImageList(plan.imageSize, kImages, true), instance());
}

// A pane with two toolbars side by side: the main one and another.
HWND twoToolbars(const ShapePlan& plan, HWND rebar) {
    HWND pane = child(kPaneClass, rebar, 0);
    HWND first = mainToolbar(plan, pane);
    HWND second = otherToolbar(plan, pane);
    const BarSize one = measureToolbar(first), two = measureToolbar(second);
    MoveWindow(first, 0, 0, one.ideal, one.height, FALSE);
    MoveWindow(second, one.ideal, 0, two.ideal, two.height, FALSE);
    MoveWindow(pane, 0, 0, one.ideal + two.ideal, one.height > two.height ? one.height : two.height,
               FALSE);
    return pane;
}

HWND sizedToolbar(HWND toolbar) {
    const BarSize size = measureToolbar(toolbar);
    MoveWindow(toolbar, 0, 0, size.ideal > 0 ? size.ideal : kStaticWidth,
               size.height > 0 ? size.height : kStaticHeight, FALSE);
    return toolbar;
}

HWND bandChild(const ShapePlan& plan, const ShapeBand& band, HWND rebar) {
    switch (band.kind) {
    case 'M': return sizedToolbar(createMenuToolbar(rebar));
    case 'm': return child(L"Static", rebar, 0, L"menu");
    case 'T': return sizedToolbar(mainToolbar(plan, rebar));
    case 'D': return twoToolbars(plan, rebar);
    case 'O': return sizedToolbar(otherToolbar(plan, rebar));
    case 'A': return child(L"Edit", rebar, kAddressId, L"C:\\");
    case 'L': return sizedToolbar(createLinksToolbar(rebar));
    case 'G':
        return detail::createWorker(rebar, WorkerRole::Logo, WS_VISIBLE, kStaticHeight * 2,
                                    kStaticHeight);
    case 'g': return child(L"Static", rebar, 0, L"logo");
    case 'X': return child(L"Static", rebar, 0, L"band");
    case 'C': return child(kChaosClass, rebar, 0);
    default: return nullptr; // 'E': no child
    }
}

HWND createRebar(HWND parent, int y) {
    return CreateWindowExW(
        WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
            RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP,
        0, y, kWidth, 60, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRebarId)),
        instance(), nullptr);
}

bool isChaosChild(HWND window) {
    wchar_t name[32] = {};
    return window != nullptr && GetClassNameW(window, name, 32) > 0 &&
           lstrcmpW(name, kChaosClass) == 0;
}

void act(ShapeState& state) {
    InterlockedIncrement(&acts);
    switch (state.chaos) {
    case ShapeChaos::AddBand: {
        const int count = static_cast<int>(SendMessageA(state.rebar, RB_GETBANDCOUNT, 0, 0));
        insertBand(state.rebar, state.seen % (count + 1), kFirstChaosBandId + state.seen,
                   child(kChaosClass, state.rebar, 0), nullptr);
        break;
    }
    case ShapeChaos::RemoveBand: {
        const int count = static_cast<int>(SendMessageA(state.rebar, RB_GETBANDCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            REBARBANDINFOA band{};
            band.cbSize = sizeof band;
            band.fMask = RBBIM_CHILD;
            SendMessageA(state.rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
            if (!isChaosChild(band.hwndChild)) continue;
            SendMessageA(state.rebar, RB_DELETEBAND, i, 0);
            DestroyWindow(band.hwndChild);
            break;
        }
        break;
    }
    case ShapeChaos::DestroyFrame: DestroyWindow(state.frame); break;
    case ShapeChaos::None: break;
    }
}

LRESULT CALLBACK rebarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropW(window, kOldProc));
    auto* state = static_cast<ShapeState*>(GetPropW(window, kShapeState));
    if (message == WM_NCDESTROY) {
        RemovePropW(window, kOldProc);
        RemovePropW(window, kShapeState);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    } else if (state != nullptr && message >= WM_USER && quiet == 0 && armed != 0 && !state->done &&
               ++state->seen >= state->after) {
        state->done = true;
        ++quiet;
        act(*state);
        --quiet;
        if (!IsWindow(window)) return 0; // destroyed with its frame
    }
    return old != nullptr ? CallWindowProcW(old, window, message, wParam, lParam)
                          : DefWindowProcW(window, message, wParam, lParam);
}

void watch(HWND rebar, ShapeState* state) {
    SetPropW(rebar, kShapeState, state);
    SetPropW(rebar, kOldProc,
             reinterpret_cast<HANDLE>(
                 SetWindowLongPtrW(rebar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(rebarProc))));
}

const wchar_t* classOf(ShapeClass shapeClass) {
    switch (shapeClass) {
    case ShapeClass::Explorer: return L"CabinetWClass";
    case ShapeClass::ExplorerTree: return L"ExploreWClass";
    case ShapeClass::Other: return kOtherClass;
    default: return L"IEFrame";
    }
}

// Look lines.

std::string narrowClass(HWND window) {
    char name[64] = {};
    if (window == nullptr || GetClassNameA(window, name, sizeof name) <= 0) return "-";
    return name;
}

std::string format(const char* pattern, ...) {
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

void lookOfRebar(HWND rebar, std::string& look) {
    const bool titled = FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr) != nullptr;
    look += format("rebar %#lx\n", GetWindowLongA(rebar, GWL_ID));
    const int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_ID | RBBIM_STYLE | RBBIM_HEADERSIZE | RBBIM_CHILD | RBBIM_TEXT;
        band.lpText = text;
        band.cch = sizeof text;
        SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        text[sizeof text - 1] = '\0';
        if (isChaosChild(band.hwndChild)) continue;
        const bool title = titled && (band.wID == kAddressBandId || band.wID == kLinksBandId);
        look += format("%sband %u style %#x child %s:%ld '%s' |header %u\n", title ? "title " : " ",
                       band.wID, title ? band.fStyle & ~kFixedHeaderBit : band.fStyle,
                       narrowClass(band.hwndChild).c_str(),
                       band.hwndChild != nullptr ? GetWindowLongA(band.hwndChild, GWL_ID) : -1L,
                       text, band.cxHeader);
    }
}

void lookOfList(HWND toolbar, const char* which, HIMAGELIST list, std::string& look) {
    const ImageListInfo info = describeImageList(list);
    look += format(" %#lx %s %p %dx%d %d:", GetWindowLongA(toolbar, GWL_ID), which,
                   static_cast<void*>(info.list), info.cx, info.cy, info.count);
    for (int i = 0; i < info.described; ++i)
        look += format(" %06lx", static_cast<unsigned long>(info.centre[i]));
    look += "\n";
}

void lookOfToolbar(HWND toolbar, std::string& look) {
    look += format("toolbar %#lx in %s:", GetWindowLongA(toolbar, GWL_ID),
                   narrowClass(GetParent(toolbar)).c_str());
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        look += format(" %d:%#x", button.idCommand, button.fsStyle);
    }
    look += "\n";
    lookOfList(toolbar, "normal",
               reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)), look);
    lookOfList(toolbar, "hot",
               reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0)), look);
}

BOOL CALLBACK lookOfChild(HWND window, LPARAM target) {
    std::string& look = *reinterpret_cast<std::string*>(target);
    const std::string name = narrowClass(window);
    if (name == REBARCLASSNAMEA) lookOfRebar(window, look);
    if (name == TOOLBARCLASSNAMEA) lookOfToolbar(window, look);
    return TRUE;
}

} // namespace

HWND createShape(const ShapePlan& plan) {
    detail::registerWindowClasses();
    registerClasses();
    HWND frame = CreateWindowExW(0, classOf(plan.shapeClass), L"shape",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, plan.x, plan.y, kWidth,
                                 kHeight, nullptr, nullptr, instance(), nullptr);
    if (frame == nullptr) return nullptr;
    if (plan.shapeClass == ShapeClass::BrowserWithCommandBar) detail::createCommandBar(frame);
    HWND container =
        plan.worker ? detail::createWorker(frame, WorkerRole::Container, WS_VISIBLE, kWidth, 120)
                    : frame;
    if (plan.shapeClass == ShapeClass::BrowserDeepCommandBar)
        detail::createCommandBar(child(kPaneClass, frame, 0));
    HWND rebars[2] = {createRebar(container, 0), nullptr};
    auto* state = new ShapeState{frame, rebars[0], plan.chaos, plan.chaosAfter, 0, false};
    {
        std::lock_guard<std::mutex> guard(lock);
        states.emplace_back(state);
    }
    for (int i = 0; i < plan.bandCount && i < kShapeBands; ++i) {
        const ShapeBand& band = plan.bands[i];
        HWND& rebar = rebars[band.rebar == 1 ? 1 : 0];
        if (rebar == nullptr) rebar = createRebar(container, 60);
        char title[sizeof band.title + 1] = {};
        lstrcpynA(title, band.title, sizeof title);
        insertBand(rebar, -1, band.id, bandChild(plan, band, rebar), title);
    }
    if (plan.chaos != ShapeChaos::None)
        for (HWND rebar : rebars)
            if (rebar != nullptr) watch(rebar, state);
    if (plan.visible) ShowWindow(frame, SW_SHOWNOACTIVATE);
    return frame;
}

std::string shapeLook(HWND frame) {
    std::string look;
    ++quiet;
    EnumChildWindows(frame, lookOfChild, reinterpret_cast<LPARAM>(&look));
    --quiet;
    return look;
}

int armShapeChaos(bool on) {
    if (on) InterlockedExchange(&acts, 0);
    InterlockedExchange(&armed, on ? 1 : 0);
    return static_cast<int>(acts);
}

} // namespace standin
