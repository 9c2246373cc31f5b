// A notification area of this process: the system's Shell_NotifyIcon sends each call
// to the "Shell_TrayWnd" window as WM_COPYDATA (dwData: NIM_ADD, NIM_MODIFY,
// NIM_DELETE), the tooltip among its bytes as UTF-16. The recorder's window takes
// them while this thread takes messages.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace tarvik::test {

class TrayRecorder {
  public:
    TrayRecorder() = default;
    TrayRecorder(const TrayRecorder&) = delete;
    TrayRecorder& operator=(const TrayRecorder&) = delete;
    ~TrayRecorder() { destroy(); }

    // The window, on top of any other "Shell_TrayWnd" so that the calls come here.
    HWND create();
    void destroy();
    void clear() { calls_.clear(); }
    // A call of that kind was taken, with `tip` in its bytes (any tip when nullptr).
    bool called(ULONG_PTR what, const wchar_t* tip) const;

  private:
    struct Call {
        ULONG_PTR what;
        std::wstring bytes;
    };
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<Call> calls_;
};

} // namespace tarvik::test
