// Message pumps bounded by a deadline.
#include "pump.h"

namespace tarvik::test {

namespace {

ULONGLONG deadlineAfter(DWORD ms) {
    return GetTickCount64() + ms;
}

DWORD remainingUntil(ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

} // namespace

void pumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pumpFor(DWORD ms) {
    ULONGLONG deadline = deadlineAfter(ms);
    for (;;) {
        pumpPending();
        DWORD left = remainingUntil(deadline);
        if (left == 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = deadlineAfter(timeoutMs);
    for (;;) {
        pumpPending();
        if (done()) return true;
        DWORD left = remainingUntil(deadline);
        if (left == 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, left < kPollSliceMs ? left : kPollSliceMs,
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool pumpUntilSignalled(HANDLE handle, DWORD timeoutMs) {
    ULONGLONG deadline = deadlineAfter(timeoutMs);
    for (;;) {
        pumpPending();
        DWORD left = remainingUntil(deadline);
        DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &handle, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke == WAIT_TIMEOUT || woke == WAIT_FAILED)
            return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
}

} // namespace tarvik::test
