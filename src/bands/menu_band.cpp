// Menu band walks. The band is a rebar band with id 1 whose child is a toolbar
// with control id 0 and no text; its visibility is the band's RBBS_HIDDEN.
#include "bands/menu_band.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "state/shared_state.h"
#include "windows/class_names.h"

namespace {

constexpr UINT kMenuBandId = 1;
constexpr int kWindowTextChars = 512;
// Every field of the 80-byte band record (RBBIM_STYLE .. RBBIM_HEADERSIZE).
constexpr UINT kAllBandFields = 0xFFF;

bool isQuery(LPARAM param) {
    return (static_cast<DWORD>(param) >> 16) == 0;
}

// Index of the band with id 1 holding window, or -1.
int findMenuBand(HWND rebar, HWND window, REBARBANDINFOA& band, char* text) {
    const int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    band = {};
    band.cbSize = sizeof band;
    band.fMask = kAllBandFields;
    for (int index = 0; index < count; ++index) {
        band.lpText = text;
        band.cch = kBandTextBytes;
        SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
        if (band.hwndChild == window && band.wID == kMenuBandId) return index;
    }
    return -1;
}

// One window of a menu walk. A query's answer goes to menuBandVisible and, for
// queryMenuBand, to a slot of the caller's own.
BOOL menuBandStep(HWND window, LPARAM param, int* answer) {
    BusyScope busy;
    char name[kClassNameChars];
    // The text last: reading it sends the window a message.
    char windowText[kWindowTextChars];
    if (!hasClass(window, kToolbarClass, name, kClassNameChars) ||
        GetWindowLongA(window, GWL_ID) != 0 ||
        GetWindowTextA(window, windowText, kWindowTextChars) != 0)
        return TRUE;
    HWND rebar = GetParent(window);
    if (rebar == nullptr || !hasClass(rebar, kRebarClass, name, kClassNameChars)) return TRUE;
    REBARBANDINFOA band;
    char bandText[kBandTextBytes];
    const int index = findMenuBand(rebar, window, band, bandText);
    if (index < 0) return TRUE;
    const bool hidden = (band.fStyle & RBBS_HIDDEN) != 0;
    if (isQuery(param)) {
        sharedState.menuBandVisible = hidden ? 0 : 1;
        if (answer != nullptr) *answer = hidden ? 0 : 1;
        return FALSE;
    }
    const bool show = walkShows(param);
    if (show != hidden) return FALSE; // already as wanted
    SendMessageA(rebar, RB_SHOWBAND, index, show ? TRUE : FALSE);
    return TRUE;
}

BOOL CALLBACK menuQueryProc(HWND window, LPARAM answerSlot) {
    return menuBandStep(window, kMenuQuery, reinterpret_cast<int*>(answerSlot));
}

} // namespace

BOOL CALLBACK menuBandProc(HWND window, LPARAM param) {
    return menuBandStep(window, param, nullptr);
}

int queryMenuBand(HWND frame) {
    int answer = 0;
    sharedState.menuBandVisible = 0;
    EnumChildWindows(frame, menuQueryProc, reinterpret_cast<LPARAM>(&answer));
    return answer;
}

void showMenuBand(HWND frame, int show) {
    if (show == 0) killStoredTimer(frame, FrameTimer::MenuAutohide);
    EnumChildWindows(frame, menuBandProc, walkParam(show));
}

void setMenuBand(HWND frame, int show) {
    EnumChildWindows(frame, menuBandProc, walkParam(show != 0 ? 1 : 0));
    KillTimer(frame, static_cast<UINT_PTR>(storedTimerId(frame, FrameTimer::MenuAutohide)));
    if (show != 0)
        storeTimerId(
            frame, FrameTimer::MenuAutohide,
            static_cast<int>(SetTimer(frame, TIMER_MENU_AUTOHIDE, kMenuAutohideMs, nullptr)));
    else
        storeTimerId(frame, FrameTimer::MenuAutohide, kNoTimer);
}

void toggleMenuBand(HWND frame) {
    setMenuBand(frame, queryMenuBand(frame) == 0 ? 1 : 0);
}
