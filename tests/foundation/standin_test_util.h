// Small helpers the stand-in tests share: class names, band ids, and a thread
// hook that counts rebar notifications per receiving window.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <map>
#include <string>
#include <vector>
#include "standin/standin.h"

namespace standin_test {

inline std::string classOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

inline std::string textOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

inline std::vector<UINT> bandIds(const std::vector<standin::BandRecord>& bands) {
    std::vector<UINT> ids;
    for (const auto& band : bands)
        ids.push_back(band.wID);
    return ids;
}

// Counts the WM_NOTIFY messages with one code that windows of this thread are sent,
// per window, through a WH_CALLWNDPROC hook: it sees windows made after it started.
class NotifyCounter {
  public:
    explicit NotifyCounter(UINT code) {
        active() = this;
        code_ = code;
        hook_ =
            SetWindowsHookExW(WH_CALLWNDPROC, &NotifyCounter::proc, nullptr, GetCurrentThreadId());
    }
    ~NotifyCounter() {
        UnhookWindowsHookEx(hook_);
        active() = nullptr;
    }
    NotifyCounter(const NotifyCounter&) = delete;
    NotifyCounter& operator=(const NotifyCounter&) = delete;

    int count(HWND window) const {
        auto it = counts_.find(window);
        return it == counts_.end() ? 0 : it->second;
    }
    void reset() { counts_.clear(); }
    bool hooked() const { return hook_ != nullptr; }

  private:
    static NotifyCounter*& active() {
        static NotifyCounter* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
        NotifyCounter* self = active();
        if (code >= 0 && self != nullptr) {
            const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (sent->message == WM_NOTIFY && sent->lParam != 0 &&
                reinterpret_cast<const NMHDR*>(sent->lParam)->code == self->code_)
                ++self->counts_[sent->hwnd];
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_ = nullptr;
    UINT code_ = 0;
    std::map<HWND, int> counts_;
};

// Destroys a frame built on this thread when the test ends.
struct FrameGuard {
    standin::FrameHandles handles;
    explicit FrameGuard(const standin::FrameOptions& options = {})
        : handles(standin::createFrame(options)) {}
    ~FrameGuard() {
        if (IsWindow(handles.frame)) DestroyWindow(handles.frame);
    }
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;
    const standin::FrameHandles* operator->() const { return &handles; }
};

} // namespace standin_test
