// MsgWaitForMultipleObjectsEx wakes for sent messages only (QS_SENDMESSAGE);
// PeekMessage with PM_QS_SENDMESSAGE hands them over without removing any
// posted message, so input and posted requests keep their order.
#include "waiting.h"

namespace tarvikctl {

namespace {

void takeSentMessages() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

DWORD WINAPI runWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

} // namespace

DWORD waitTakingSentMessages(const HANDLE* handles, DWORD count, DWORD timeoutMs) {
    // GetTickCount (GetTickCount64 is Vista's): a difference of two readings stays right
    // across its wrap after 49.7 days, and no wait here is that long.
    const DWORD start = GetTickCount();
    for (;;) {
        takeSentMessages();
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            left = spent >= timeoutMs ? 0 : timeoutMs - spent;
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, left, QS_SENDMESSAGE, 0);
        if (woke != WAIT_OBJECT_0 + count) return woke;
        if (left == 0) {
            // Only a sent message at the deadline: a last look at the handles.
            takeSentMessages();
            return count == 0 ? WAIT_TIMEOUT : WaitForMultipleObjects(count, handles, FALSE, 0);
        }
    }
}

void runTakingSentMessages(const std::function<void()>& work) {
    HANDLE thread =
        CreateThread(nullptr, 0, runWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (thread == nullptr) return work();
    waitTakingSentMessages(&thread, 1, INFINITE);
    CloseHandle(thread);
}

} // namespace tarvikctl
