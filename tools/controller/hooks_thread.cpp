// Each call is a message to the notify window with its own event, so calls made while
// the owner waits for an earlier one (a stop from a sent WM_ENDSESSION) queue behind it.
#include "hooks_thread.h"
#include "session.h"
#include "text.h"
#include "waiting.h"

namespace tarvikctl {

namespace {

constexpr UINT kMsgCall = WM_APP + 40;

struct Call {
    const std::function<void()>* calls;
    HANDLE done;
};

} // namespace

std::string HooksThread::start(Library& library, const char* notifyClass, HWND commandWindow,
                               HWND owner, std::vector<Forward> forwards) {
    stop();
    if (thread_ != nullptr) CloseHandle(thread_);
    thread_ = nullptr;
    library_ = &library;
    notifyClass_ = notifyClass;
    commandWindow_ = commandWindow;
    owner_ = owner;
    forwards_ = std::move(forwards);
    problem_.clear();
    started_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (started_ != nullptr) thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    if (thread_ == nullptr) {
        const DWORD error = GetLastError();
        if (started_ != nullptr) CloseHandle(started_);
        started_ = nullptr;
        return cat("cannot start the hooks' thread (error ", num(error), ")");
    }
    HANDLE handles[] = {started_, thread_};
    waitTakingSentMessages(handles, 2, INFINITE);
    CloseHandle(started_);
    started_ = nullptr;
    if (window_ != nullptr) return "";
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    return problem_.empty() ? "the hooks' thread ended before it installed the hooks" : problem_;
}

DWORD WINAPI HooksThread::run(void* data) {
    auto& self = *static_cast<HooksThread*>(data);
    HWND window = createNotifyWindow(notifyProc, &self, self.notifyClass_);
    if (window == nullptr) {
        self.problem_ = cat("cannot create the notify window (error ", num(GetLastError()), ")");
        return 1;
    }
    self.library_->installHook(self.library_->module(),
                               self.commandWindow_ != nullptr ? self.commandWindow_ : window);
    self.window_ = window;
    SetEvent(self.started_);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK HooksThread::notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self =
        reinterpret_cast<const HooksThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == kMsgCall) {
        const auto* call = reinterpret_cast<const Call*>(lParam);
        (*call->calls)();
        SetEvent(call->done);
        return 0;
    }
    for (const Forward& forward : self->forwards_)
        if (forward.message == message) {
            PostMessageA(self->owner_, message, wParam, lParam);
            return forward.answer;
        }
    return DefWindowProcA(window, message, wParam, lParam);
}

void HooksThread::call(const std::function<void()>& calls) {
    if (window_ == nullptr) return;
    Call request{&calls, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (request.done == nullptr) return;
    if (PostMessageA(window_, kMsgCall, 0, reinterpret_cast<LPARAM>(&request))) {
        HANDLE handles[] = {request.done, thread_};
        waitTakingSentMessages(handles, 2, INFINITE);
    }
    CloseHandle(request.done);
}

void HooksThread::stop() {
    if (window_ == nullptr) return;
    call([this] {
        library_->uninstallHook();
        PostQuitMessage(0);
    });
    window_ = nullptr;
    // The handle stays open: a call that waited when a nested stop came waits on it too.
    waitTakingSentMessages(&thread_, 1, INFINITE);
}

HooksThread::~HooksThread() {
    stop();
    if (thread_ != nullptr) CloseHandle(thread_);
}

} // namespace tarvikctl
