// The tray window: the icon's menu (Settings..., Turn off/on, Exit), the double
// click, the taskbar's re-creation and the end of the Windows session.
#include "tray.h"
#include "app.h"
#include "resource.h"
#include "settings_sheet.h"
#include "windows_version.h"

#include <shellapi.h>
#include <cstring>

namespace tarvik_app {

namespace {

constexpr UINT kIconId = 1;
UINT taskbarCreated = 0;
bool iconAdded = false;

// Windows 2000 and XP refuse a NOTIFYICONDATA larger than they know: Microsoft's
// NOTIFYICONDATA page gives them NOTIFYICONDATA_V2_SIZE (Shell32 5.0), which holds every
// field used here, the balloon's too. Vista and later take the whole structure.
NOTIFYICONDATAA iconData(UINT flags) {
    NOTIFYICONDATAA data{};
    data.cbSize = tarvikctl::windowsVistaOrLater() ? sizeof data : NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = app().tray;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallback;
    const bool on = app().on && app().unreadableFile.empty();
    data.hIcon = static_cast<HICON>(
        LoadImageA(app().instance, MAKEINTRESOURCEA(on ? IDI_APP : IDI_OFF), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    const char* tip = on ? "TarvikToolBar: on"
                         : (app().on ? "TarvikToolBar: off (the settings file cannot be read)"
                                     : "TarvikToolBar: off");
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
}

void addIcon() {
    NOTIFYICONDATAA data = iconData(NIF_ICON | NIF_TIP | NIF_MESSAGE);
    iconAdded = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void showMenu() {
    HMENU bar = LoadMenuA(app().instance, MAKEINTRESOURCEA(IDM_TRAY));
    if (bar == nullptr) return;
    HMENU menu = GetSubMenu(bar, 0);
    char text[64] = {};
    LoadStringA(app().instance, app().on ? IDS_TURN_OFF : IDS_TURN_ON, text, sizeof text);
    ModifyMenuA(menu, IDM_TOGGLE, MF_BYCOMMAND | MF_STRING, IDM_TOGGLE, text);
    SetMenuDefaultItem(menu, IDM_SETTINGS, FALSE);
    POINT at{};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if this window is in front.
    SetForegroundWindow(app().tray);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, app().tray, nullptr);
    PostMessageA(app().tray, WM_NULL, 0, 0);
    DestroyMenu(bar);
}

LRESULT CALLBACK trayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated && message != 0) {
        addIcon();
        return 0;
    }
    switch (message) {
    case kTrayCallback:
        switch (LOWORD(lParam)) {
        case WM_LBUTTONDBLCLK: openSettingsSheet(); return 0;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: showMenu(); return 0;
        default: return 0;
        }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_SETTINGS: openSettingsSheet(); return 0;
        case IDM_TOGGLE: setOn(!app().on); return 0;
        case IDM_EXIT: shutDown(); return 0;
        default: break;
        }
        break;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        // The process may be ended any time after this returns: undo now.
        if (wParam) shutDown();
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool createTray() {
    App& a = app();
    taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = trayProc;
    windowClass.hInstance = a.instance;
    windowClass.hIcon = LoadIconA(a.instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.lpszClassName = kTrayClass;
    if (RegisterClassExA(&windowClass) == 0) return false;
    // Top-level (hidden), so that it hears broadcasts and the session's end.
    a.tray = CreateWindowExA(WS_EX_TOOLWINDOW, kTrayClass, kAppTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, a.instance, nullptr);
    if (a.tray == nullptr) return false;
    addIcon();
    return true;
}

void updateTrayIcon() {
    if (app().tray == nullptr) return;
    if (!iconAdded) return addIcon();
    NOTIFYICONDATAA data = iconData(NIF_ICON | NIF_TIP);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void showTrayNotice(const std::string& text) {
    if (app().tray == nullptr || !iconAdded) return;
    NOTIFYICONDATAA data = iconData(NIF_INFO);
    std::strncpy(data.szInfo, text.c_str(), sizeof data.szInfo - 1);
    std::strncpy(data.szInfoTitle, "TarvikToolBar", sizeof data.szInfoTitle - 1);
    data.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void removeTrayIcon() {
    if (!iconAdded) return;
    NOTIFYICONDATAA data = iconData(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    iconAdded = false;
}

} // namespace tarvik_app
