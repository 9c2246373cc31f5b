// Frame threads.
#include "frame_threads.h"

namespace hardening {

FrameThread::FrameThread(const standin::FrameOptions& options) : options_(options) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    hang_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    released_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    quit_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, main, this, 0, nullptr);
    WaitForSingleObject(ready_, 15000);
}

FrameThread::~FrameThread() {
    release();
    SetEvent(quit_);
    WaitForSingleObject(thread_, 10000);
    for (HANDLE handle : {thread_, ready_, hang_, released_, quit_})
        CloseHandle(handle);
}

void FrameThread::hang() {
    ResetEvent(released_);
    SetEvent(hang_);
}

void FrameThread::release() {
    SetEvent(released_);
}

DWORD WINAPI FrameThread::main(void* self) {
    auto* me = static_cast<FrameThread*>(self);
    me->handles_ = standin::createFrame(me->options_);
    SetEvent(me->ready_);
    HANDLE waits[] = {me->quit_, me->hang_};
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        // Not pumping at all: to the system this thread is hung.
        if (woke == WAIT_OBJECT_0 + 1) WaitForSingleObject(me->released_, INFINITE);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (me->handles_.frame != nullptr) standin::destroyFrame(me->handles_.frame);
    return 0;
}

} // namespace hardening
