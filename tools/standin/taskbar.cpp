// Taskbar stand-in: paints a start button, a strip and a clock; nothing more.
#include "taskbar.h"

#include <cstdio>
#include <mutex>

namespace standin {

namespace {

constexpr wchar_t kTaskbarClassW[] = L"Shell_TrayWnd";
// The classic taskbar height and its start button's width, in pixels.
constexpr int kTaskbarHeight = 30;
constexpr int kStartWidth = 96;
constexpr int kClockWidth = 80;

LRESULT CALLBACK taskbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH strip = CreateSolidBrush(RGB(36, 94, 220));
    FillRect(dc, &client, strip);
    DeleteObject(strip);

    RECT start{client.left, client.top, client.left + kStartWidth, client.bottom};
    HBRUSH green = CreateSolidBrush(RGB(60, 150, 60));
    HGDIOBJ oldBrush = SelectObject(dc, green);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, start.left, start.top, start.right, start.bottom + 12, 18, 18);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(green);

    HFONT font =
        CreateFontW(-16, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, L"start", -1, &start, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, oldFont);
    DeleteObject(font);

    RECT tray{client.right - kClockWidth, client.top, client.right, client.bottom};
    HBRUSH trayBrush = CreateSolidBrush(RGB(15, 140, 235));
    FillRect(dc, &tray, trayBrush);
    DeleteObject(trayBrush);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t clock[16];
    swprintf(clock, 16, L"%d:%02d", now.wHour, now.wMinute);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, clock, -1, &tray, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    EndPaint(window, &paint);
    return 0;
}

} // namespace

HWND createTaskbar(bool visible, bool announce) {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = taskbarProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kTaskbarClassW;
        RegisterClassExW(&wc);
    });
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HWND taskbar =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTaskbarClassW, L"",
                        WS_POPUP | WS_CLIPCHILDREN, 0, height - kTaskbarHeight, width,
                        kTaskbarHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (taskbar != nullptr && visible) ShowWindow(taskbar, SW_SHOWNOACTIVATE);
    // "When the taskbar is created, it registers a message with the TaskbarCreated string
    // and then broadcasts this message to all top-level windows" (Microsoft, Shell_NotifyIcon,
    // "Taskbar Creation Notification").
    if (taskbar != nullptr && announce)
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return taskbar;
}

bool destroyTaskbar(HWND taskbar) {
    wchar_t name[32] = {};
    DWORD process = 0;
    if (!IsWindow(taskbar) || GetWindowThreadProcessId(taskbar, &process) == 0 ||
        process != GetCurrentProcessId() || GetClassNameW(taskbar, name, 32) == 0 ||
        lstrcmpW(name, kTaskbarClassW) != 0)
        return false;
    return DestroyWindow(taskbar) != FALSE;
}

} // namespace standin
