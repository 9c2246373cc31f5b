#include "tray_recorder.h"

namespace tarvik::test {

HWND TrayRecorder::create() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    if (window_ != nullptr)
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return window_;
}

void TrayRecorder::destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
}

bool TrayRecorder::called(ULONG_PTR what, const wchar_t* tip) const {
    for (const Call& call : calls_)
        if (call.what == what && (tip == nullptr || call.bytes.find(tip) != std::wstring::npos))
            return true;
    return false;
}

LRESULT CALLBACK TrayRecorder::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TrayRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    self->calls_.push_back({data->dwData, std::wstring(static_cast<const wchar_t*>(data->lpData),
                                                       data->cbData / sizeof(wchar_t))});
    return TRUE;
}

} // namespace tarvik::test
