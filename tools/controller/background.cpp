// One thread per piece of work: a piece may block for ever, and nothing waits for it.
#include "background.h"

#include <memory>

namespace tarvikctl {

namespace {

struct Work {
    std::function<void()> run;
    HANDLE done; // this thread's own handle of the caller's event
    HWND window;
    UINT message;
    LPARAM tag;
};

DWORD WINAPI runWork(void* data) {
    std::unique_ptr<Work> work(static_cast<Work*>(data));
    try {
        work->run();
    } catch (...) {
        // What it fills in says it was not done.
    }
    SetEvent(work->done);
    CloseHandle(work->done);
    if (work->window != nullptr) PostMessageA(work->window, work->message, 0, work->tag);
    return 0;
}

} // namespace

HANDLE runInBackground(std::function<void()> work, HWND window, UINT message, LPARAM tag) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE own = nullptr;
    if (done == nullptr || !DuplicateHandle(GetCurrentProcess(), done, GetCurrentProcess(), &own, 0,
                                            FALSE, DUPLICATE_SAME_ACCESS)) {
        if (done != nullptr) CloseHandle(done);
        return nullptr;
    }
    auto* data = new Work{std::move(work), own, window, message, tag};
    HANDLE thread = CreateThread(nullptr, 0, runWork, data, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    else
        runWork(data);
    return done;
}

} // namespace tarvikctl
