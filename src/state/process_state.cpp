// Per-process state, and the per-frame timer slots and per-thread busy marks
// that stand in for single process-wide values. No allocation: fixed tables
// claimed with interlocked operations, since several GUI threads share them.
#include "state/process_state.h"

namespace {

int& field(FrameTimers& slot, FrameTimer which) {
    return which == FrameTimer::MenuAutohide ? slot.menuTimerIdPlusOne
                                             : slot.reapplyTimerIdPlusOne;
}

int timerId(FrameTimers& slot, FrameTimer which) {
    return field(slot, which) - 1;
}

FrameTimers* findSlot(HWND frame) {
    for (FrameTimers& slot : processState.frameTimers)
        if (slot.frame == frame) return &slot;
    return nullptr;
}

// A slot whose window is gone (destroyed with its timers) can be taken again.
bool claim(FrameTimers& slot, HWND frame, bool reclaimDead) {
    HWND held = slot.frame;
    if (held != nullptr && !(reclaimDead && !IsWindow(held))) return false;
    if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&slot.frame), frame, held) !=
        held)
        return false;
    slot.menuTimerIdPlusOne = 0;
    slot.reapplyTimerIdPlusOne = 0;
    return true;
}

FrameTimers* claimSlot(HWND frame) {
    for (int pass = 0; pass < 2; ++pass)
        for (FrameTimers& slot : processState.frameTimers)
            if (claim(slot, frame, pass == 1)) return &slot;
    return &processState.sharedTimers;
}

BusyThread* findBusy(DWORD thread) {
    for (BusyThread& slot : processState.busy)
        if (slot.threadId == thread) return &slot;
    return nullptr;
}

} // namespace

constinit ProcessState processState{};

int storedTimerId(HWND frame, FrameTimer which) {
    if (FrameTimers* slot = findSlot(frame)) return timerId(*slot, which);
    return timerId(processState.sharedTimers, which);
}

void storeTimerId(HWND frame, FrameTimer which, int id) {
    FrameTimers* slot = findSlot(frame);
    if (slot == nullptr) {
        if (id == kNoTimer && timerId(processState.sharedTimers, which) == kNoTimer) return;
        slot = id == kNoTimer ? &processState.sharedTimers : claimSlot(frame);
    }
    field(*slot, which) = id + 1;
    if (slot != &processState.sharedTimers && slot->menuTimerIdPlusOne == 0 &&
        slot->reapplyTimerIdPlusOne == 0)
        InterlockedExchangePointer(reinterpret_cast<PVOID*>(&slot->frame), nullptr);
}

void killStoredTimer(HWND frame, FrameTimer which) {
    KillTimer(frame, static_cast<UINT_PTR>(storedTimerId(frame, which)));
    storeTimerId(frame, which, kNoTimer);
}

void enterBusy() {
    const DWORD me = GetCurrentThreadId();
    if (BusyThread* slot = findBusy(me)) {
        ++slot->depth;
        return;
    }
    for (BusyThread& slot : processState.busy) {
        if (InterlockedCompareExchange(reinterpret_cast<LONG*>(&slot.threadId),
                                       static_cast<LONG>(me), 0) == 0) {
            slot.depth = 1;
            return;
        }
    }
    InterlockedIncrement(&processState.busyOverflow);
}

void leaveBusy() {
    if (BusyThread* slot = findBusy(GetCurrentThreadId())) {
        if (--slot->depth <= 0) {
            slot->depth = 0;
            InterlockedExchange(reinterpret_cast<LONG*>(&slot->threadId), 0);
        }
        return;
    }
    if (processState.busyOverflow > 0) InterlockedDecrement(&processState.busyOverflow);
}

bool isBusy() {
    const BusyThread* slot = findBusy(GetCurrentThreadId());
    return (slot != nullptr && slot->depth > 0) || processState.busyOverflow > 0;
}

void stopFrameTimers(HWND frame) {
    killStoredTimer(frame, FrameTimer::MenuAutohide);
    killStoredTimer(frame, FrameTimer::Reapply);
    // By id as well, in case a slot was shared when the table was full.
    KillTimer(frame, TIMER_MENU_AUTOHIDE);
    KillTimer(frame, TIMER_REAPPLY);
}
