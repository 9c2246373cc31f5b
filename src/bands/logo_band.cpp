// Hides or shows a frame's logo band with RB_SHOWBAND alone, so nothing but
// its visibility changes. The walk ends at the first "WorkerW" in a rebar.
#include "bands/logo_band.h"
#include "state/identifiers.h"
#include "state/process_state.h"
#include "state/records.h"
#include "windows/class_names.h"

namespace {

// Shows or hides the band holding window, if it is not already so.
void showBandOf(HWND rebar, HWND window, bool show) {
    const int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD;
    for (int i = 0; i < count; ++i) {
        SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
        if (band.hwndChild != window) continue;
        const bool hidden = (band.fStyle & RBBS_HIDDEN) != 0;
        if (show == hidden) {
            SendMessageA(rebar, RB_SHOWBAND, i, show ? TRUE : FALSE);
            return;
        }
    }
}

} // namespace

BOOL CALLBACK logoBandProc(HWND window, LPARAM param) {
    BusyScope busy;
    char name[kClassNameChars];
    if (!hasClass(window, kWorkerClass, name, kClassNameChars)) return TRUE;
    HWND parent = GetParent(window);
    if (parent == nullptr || !hasClass(parent, kRebarClass, name, kClassNameChars)) return TRUE;
    showBandOf(parent, window, walkShows(param));
    return FALSE;
}

int walkLogoBand(HWND frame, int show) {
    return EnumChildWindows(frame, logoBandProc, walkParam(show));
}
