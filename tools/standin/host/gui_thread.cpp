// GUI threads of the host. Work is handed over with SendMessageTimeout to a
// message-only window on the thread, so it runs inside the thread's own loop (or
// inside any modal loop the thread is in) and the caller never waits forever.
#include "host.h"

#include <mutex>

namespace standin::host {

namespace {

constexpr wchar_t kDispatchClass[] = L"TarvikStandinDispatch";
constexpr UINT kRunWork = WM_APP + 1;
constexpr UINT kLeave = WM_APP + 2;
// How long start() waits for the new thread's window.
constexpr DWORD kThreadStartMs = 5000;

using Work = std::function<void()>;

LRESULT CALLBACK dispatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunWork) {
        auto* box = reinterpret_cast<std::shared_ptr<Work>*>(lParam);
        (**box)();
        delete box;
        return 0;
    }
    if (message == kLeave) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

GuiThread::~GuiThread() {
    if (thread_ != nullptr) CloseHandle(thread_);
    if (ready_ != nullptr) CloseHandle(ready_);
}

DWORD WINAPI GuiThread::main(void* param) {
    auto* self = static_cast<GuiThread*>(param);
    self->dispatch_ = CreateWindowExW(0, kDispatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    SetEvent(self->ready_);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

bool GuiThread::start() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = dispatchProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kDispatchClass;
        RegisterClassExW(&wc);
    });
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &GuiThread::main, this, 0, &id_);
    if (thread_ == nullptr) return false;
    HANDLE waits[] = {ready_, thread_};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kThreadStartMs);
    return woke == WAIT_OBJECT_0 && dispatch_ != nullptr;
}

Status GuiThread::run(std::function<void()> work, DWORD timeoutMs) {
    if (dispatch_ == nullptr) return Status::NoSuchThread;
    auto* box = new std::shared_ptr<Work>(std::make_shared<Work>(std::move(work)));
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(dispatch_, kRunWork, 0, reinterpret_cast<LPARAM>(box), SMTO_NORMAL,
                            timeoutMs, &ignored) != 0)
        return Status::Ok;
    if (GetLastError() == ERROR_TIMEOUT)
        return Status::ThreadBusy; // the thread frees the box if it ever gets to it
    delete box;
    return Status::NoSuchThread;
}

void GuiThread::stop() {
    if (dispatch_ != nullptr) PostMessageW(dispatch_, kLeave, 0, 0);
    if (thread_ != nullptr) WaitForSingleObject(thread_, kThreadExitMs);
}

int Host::startThread() {
    auto thread = std::make_unique<GuiThread>();
    if (!thread->start()) return -1;
    threads.push_back(std::move(thread));
    return static_cast<int>(threads.size()) - 1;
}

bool Host::owns(HWND window) const {
    DWORD process = 0;
    return window != nullptr && IsWindow(window) &&
           GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}

Status Host::onThread(int index, std::function<void()> work) {
    if (index < 0 || index >= static_cast<int>(threads.size())) return Status::NoSuchThread;
    return threads[index]->run(std::move(work));
}

Status Host::onWindowThread(HWND window, std::function<void()> work) {
    if (!owns(window)) return Status::NoSuchWindow;
    DWORD owner = GetWindowThreadProcessId(window, nullptr);
    if (owner == GetCurrentThreadId()) {
        work();
        return Status::Ok;
    }
    for (auto& thread : threads)
        if (thread->id() == owner) return thread->run(std::move(work));
    return Status::NoSuchThread;
}

} // namespace standin::host
