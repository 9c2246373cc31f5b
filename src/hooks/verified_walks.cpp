// The verified-frame records: read lock-free by the hook on any thread, written by
// the frame's thread. A watched window is counted before it is published in its
// record and uncounted by whoever swaps it out, so the counters never miss one.
#include "hooks/verified_walks.h"
#include <commctrl.h>
#include "bands/dropdown_arrows.h"
#include "bands/logo_band.h"
#include "state/identifiers.h"
#include "state/shared_state.h"

namespace {

using Setting = DWORD[4];

// Messages that only read: paint, hit-test, cursor, text and notification traffic any
// window takes, and the rebar's and the toolbar's own queries. WM_WINDOWPOSCHANGING
// only announces: a move or resize that happens sends WM_WINDOWPOSCHANGED, no read.
constexpr UINT kWindowReads[] = {
    WM_GETTEXT,       WM_GETTEXTLENGTH, WM_PAINT,      WM_ERASEBKGND,        WM_SETCURSOR,
    WM_MOUSEACTIVATE, WM_GETFONT,       WM_GETOBJECT,  WM_WINDOWPOSCHANGING, WM_NOTIFY,
    WM_NCHITTEST,     WM_NCPAINT,       WM_GETDLGCODE, WM_SYNCPAINT};
constexpr UINT kRebarReads[] = {
    RB_GETBARINFO,   RB_HITTEST,        RB_GETRECT,      RB_GETBANDCOUNT,
    RB_GETROWCOUNT,  RB_GETROWHEIGHT,   RB_IDTOINDEX,    RB_GETTOOLTIPS,
    RB_GETBKCOLOR,   RB_GETTEXTCOLOR,   RB_GETBARHEIGHT, RB_GETBANDINFOW,
    RB_GETBANDINFOA, RB_GETBANDBORDERS, RB_GETPALETTE,   RB_GETBANDMARGINS};
constexpr UINT kToolbarReads[] = {TB_ISBUTTONENABLED,
                                  TB_ISBUTTONCHECKED,
                                  TB_ISBUTTONPRESSED,
                                  TB_ISBUTTONHIDDEN,
                                  TB_ISBUTTONINDETERMINATE,
                                  TB_ISBUTTONHIGHLIGHTED,
                                  TB_GETSTATE,
                                  TB_GETBUTTON,
                                  TB_BUTTONCOUNT,
                                  TB_COMMANDTOINDEX,
                                  TB_GETITEMRECT,
                                  TB_GETTOOLTIPS,
                                  TB_GETROWS,
                                  TB_GETBITMAPFLAGS,
                                  TB_GETBITMAP,
                                  TB_GETBUTTONTEXTA,
                                  TB_GETBUTTONTEXTW,
                                  TB_GETIMAGELIST,
                                  TB_GETHOTIMAGELIST,
                                  TB_GETDISABLEDIMAGELIST,
                                  TB_GETRECT,
                                  TB_GETSTYLE,
                                  TB_GETBUTTONSIZE,
                                  TB_GETTEXTROWS,
                                  TB_GETBUTTONINFOW,
                                  TB_GETBUTTONINFOA,
                                  TB_HITTEST,
                                  TB_GETHOTITEM,
                                  TB_GETANCHORHIGHLIGHT,
                                  TB_GETINSERTMARK,
                                  TB_GETMAXSIZE,
                                  TB_GETEXTENDEDSTYLE,
                                  TB_GETPADDING,
                                  TB_GETINSERTMARKCOLOR,
                                  TB_GETSTRINGW,
                                  TB_GETSTRINGA,
                                  TB_GETIDEALSIZE,
                                  TB_GETMETRICS};
constexpr UINT kRebarRow = 160;   // bit of WM_USER in the rebar's row
constexpr UINT kToolbarRow = 224; // and in the toolbar's

// The reads as bits: window messages from 0, then the rebar's and the toolbar's rows.
struct ReadBits {
    DWORD bits[11];
};

constexpr ReadBits readBits() {
    ReadBits set{};
    auto add = [&set](UINT bit) { set.bits[bit / 32] |= 1u << (bit % 32); };
    for (UINT message : kWindowReads)
        add(message);
    for (UINT message : kRebarReads)
        add(kRebarRow + message - WM_USER);
    for (UINT message : kToolbarReads)
        add(kToolbarRow + message - WM_USER);
    return set;
}

constexpr ReadBits kReads = readBits();

bool readBit(UINT bit) {
    return ((kReads.bits[bit / 32] >> (bit % 32)) & 1) != 0;
}

void rewatch(HWND& slot, HWND window) {
    if (window != nullptr) InterlockedIncrement(&watchCount(window));
    HWND old =
        static_cast<HWND>(InterlockedExchangePointer(reinterpret_cast<PVOID*>(&slot), window));
    if (old != nullptr) InterlockedDecrement(&watchCount(old));
}

VerifiedFrame* findRecord(HWND frame) {
    for (VerifiedFrame& record : processState.verified)
        if (record.frame == frame) return &record;
    return nullptr;
}

// The frame's record, claimed if it has none; null when every slot holds a live frame.
VerifiedFrame* recordOf(HWND frame) {
    if (VerifiedFrame* record = findRecord(frame)) return record;
    for (VerifiedFrame& record : processState.verified) {
        HWND held = record.frame;
        if (held != nullptr && IsWindow(held)) continue;
        if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&record.frame), frame,
                                              held) != held)
            continue;
        for (HWND& window : record.windows)
            rewatch(window, nullptr);
        // Findings of a frame that died unseen are not the new frame's.
        InterlockedIncrement(&record.epoch);
        return &record;
    }
    return nullptr;
}

// What a walk depends on besides its windows: the show flag and, for the arrows, the
// kind's row, the icons (their sizes set the layout) and the marks of positions that
// had arrows. Word 0 is never 0.
void settingOf(int fact, int show, int row, Setting& setting) {
    setting[0] = 1 + (show != 0 ? 1 : 0) + (row != 0 ? 2 : 0);
    setting[1] = setting[2] = setting[3] = 0;
    if (fact == kLogoFact) return;
    setting[1] = static_cast<DWORD>(sharedState.iconGeneration);
    const int(&touched)[kIconSlots] = sharedState.dropdownTouched[row != 0 ? 1 : 0];
    for (int i = 0; i < kIconSlots && i < 64; ++i)
        if (touched[i] != 0) setting[2 + i / 32] |= 1u << (i % 32);
}

bool sameSetting(const Setting& a, const Setting& b) {
    for (int i = 0; i < 4; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// The walk and, once found, the window it acted on.
struct ReportingWalk {
    WNDENUMPROC step;
    LPARAM param;
    HWND found;
};

BOOL CALLBACK reportingStep(HWND window, LPARAM walk) {
    ReportingWalk& run = *reinterpret_cast<ReportingWalk*>(walk);
    if (run.step(window, run.param)) return TRUE;
    run.found = window;
    return FALSE;
}

} // namespace

void noteMessageToWatched(HWND window, UINT message) {
    if (message < kRebarRow && readBit(message)) return;
    // A record's windows: 0 the logo band's child, 1 its rebar, 2 the main toolbar, 3 its
    // rebar. Bit i set: window i only reads this message.
    const UINT offset = message - WM_USER;
    const int reads = (offset < kToolbarRow - kRebarRow && readBit(kRebarRow + offset) ? 0xA : 0) |
                      (offset < 128 && readBit(kToolbarRow + offset) ? 0x4 : 0);
    for (VerifiedFrame& record : processState.verified)
        for (int i = 0; i < 4; ++i) {
            if (record.windows[i] != window || ((reads >> i) & 1) != 0) continue;
            InterlockedIncrement(&record.epoch);
            if (message == WM_DESTROY)
                for (HWND& watched : record.windows)
                    rewatch(watched, nullptr);
        }
}

void walkUnlessVerified(HWND frame, int fact, int show, int row) {
    Setting before, after;
    settingOf(fact, show, row, before);
    ReportingWalk walk{fact == kLogoFact ? logoBandProc : dropdownToolbarProc, walkParam(show),
                       nullptr};
    VerifiedFrame* record = recordOf(frame);
    if (record != nullptr && processState.reapplyingTo == frame &&
        record->factEpochs[fact] == record->epoch && sameSetting(record->facts[fact], before))
        return;
    const LONG epoch = record != nullptr ? record->epoch : 0;
    EnumChildWindows(frame, reportingStep, reinterpret_cast<LPARAM>(&walk));
    if (record == nullptr) return;
    // The arrow walk marks positions itself; marks that moved meanwhile need another walk.
    settingOf(fact, show, row, after);
    HWND* windows = &record->windows[2 * fact];
    HWND parent = walk.found != nullptr ? GetParent(walk.found) : nullptr;
    if (walk.found == nullptr || windows[0] != walk.found || windows[1] != parent) {
        // Watched from now on: the next walk may vouch for them.
        record->facts[fact][0] = 0;
        rewatch(windows[0], walk.found);
        rewatch(windows[1], parent);
        return;
    }
    if (record->epoch != epoch || !sameSetting(before, after)) return;
    record->factEpochs[fact] = epoch;
    for (int i = 0; i < 4; ++i)
        record->facts[fact][i] = after[i];
}
