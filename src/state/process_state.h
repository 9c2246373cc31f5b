// Per-process state: the library's timers on this process's frames, the saved
// native icons of Internet Explorer toolbars and a few per-process flags.
#pragma once

#include <windows.h>
#include "state/shared_state.h"

// Timer ids of one frame, held per frame so that frames on several threads of
// one process never kill or reuse each other's timers. Each id is kept plus one, so
// that "no timer" is 0 and the whole record starts zeroed: it then takes no room in
// the DLL's file.
struct FrameTimers {
    HWND frame; // null: slot free
    int menuTimerIdPlusOne;
    int reapplyTimerIdPlusOne;
};

// A thread that is changing a rebar or toolbar itself; depth counts nested walks.
struct BusyThread {
    DWORD threadId; // 0: slot free
    int depth;
};

constexpr int kTimerSlots = 64;
constexpr int kHookCount = 6;
constexpr int kBusySlots = 32;
constexpr int kIEIconFrameSlots = 64;
// Toolbar modules a process keeps Explorer pairs for; comctl32 5 and 6 are the usual two.
constexpr int kToolbarModuleSlots = 4;
constexpr int kNoTimer = -1;

// Explorer's pairs of the toolbars of one module: the module that registered their
// class, whose image-list functions made and handle their lists. A process holding
// comctl32 versions 5 and 6 has a record for each, and a list of one is never given
// to a toolbar of the other.
struct ExplorerPairs {
    HMODULE module; // null: record free
    HIMAGELIST largeList, largeHotList;
    HIMAGELIST smallList, smallHotList;
};

// What the last full walks of a frame found already in force (hooks/verified_walks.h).
constexpr int kVerifiedFacts = 2;
struct VerifiedFrame {
    HWND frame; // null: slot free
    // Per finding, the window its walk acted on and that window's rebar: all watched.
    HWND windows[2 * kVerifiedFacts];
    LONG epoch;
    LONG factEpochs[kVerifiedFacts];
    // What each walk was asked and read besides its windows; word 0 is 0: no finding.
    DWORD facts[kVerifiedFacts][4];
};

constexpr int kVerifiedSlots = 32;
constexpr int kWatchCounters = 256;

struct ProcessState {
    FrameTimers frameTimers[kTimerSlots];
    FrameTimers sharedTimers; // used only when every frame slot is taken
    HICON ieSavedSmallIcons[kIconSlots];
    HICON ieSavedLargeIcons[kIconSlots];
    HICON ieSavedLargeHotIcons[kIconSlots];
    HICON ieSavedSmallHotIcons[kIconSlots];
    int ieSavedLargeValid, ieSavedSmallValid;
    HWND ieIconFrames[kIEIconFrameSlots]; // browser frames showing the controller's icons
    // Explorer's image-list pairs and native icons as this process captured and saved
    // them itself. The shared block gets copies for readers elsewhere, but any process
    // that maps the library can write those, so this process works only on its own.
    ExplorerPairs explorerPairs[kToolbarModuleSlots];
    HICON explorerSavedLargeIcons[kIconSlots], explorerSavedLargeHotIcons[kIconSlots];
    HICON explorerSavedSmallIcons[kIconSlots], explorerSavedSmallHotIcons[kIconSlots];
    int explorerSavedLargeValid, explorerSavedSmallValid;
    // The hooks this process installed: the only handles it ever removes.
    HHOOK installedHooks[kHookCount];
    int themeChangePending;
    BusyThread busy[kBusySlots];
    LONG busyOverflow; // nesting depth of threads that found no busy slot
    int altPending;
    VerifiedFrame verified[kVerifiedSlots];
    // Watched windows per hash of their handle: the hook's first question.
    LONG watchCounts[kWatchCounters];
    // The frame a show is re-applying the settings to, on its own thread: only then is a
    // finding trusted. Threads showing frames at once may overwrite it, which only
    // makes a walk run in full.
    HWND reapplyingTo;
};

extern ProcessState processState;

enum class FrameTimer { MenuAutohide, Reapply };

// The id stored for a frame's timer, kNoTimer when none.
int storedTimerId(HWND frame, FrameTimer which);
// Stores what SetTimer returned (or kNoTimer) for a frame's timer.
void storeTimerId(HWND frame, FrameTimer which, int id);
// KillTimer with the stored id on the frame, then the slot reads kNoTimer.
void killStoredTimer(HWND frame, FrameTimer which);

// busy: set while this thread changes a rebar or toolbar itself, so that the
// rebar's own child-size notifications arm no re-apply timer.
void enterBusy();
void leaveBusy();
bool isBusy();

struct BusyScope {
    BusyScope() { enterBusy(); }
    ~BusyScope() { leaveBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// Stops both of the library's timers on a frame and forgets their ids.
void stopFrameTimers(HWND frame);
