/*
 * Calls TarvikToolBar through its import library, on a frame of its own: an
 * "IEFrame" window whose main toolbar (id 0xA000) has a drop-down button. Hides
 * the browser frames' drop-down arrows, restores them, and exits 0 only if the
 * arrow went and came back. Valid C and C++.
 */
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include "TarvikToolBar.h"

enum { MAIN_TOOLBAR_ID = 0xA000, BUTTON_ID = 100 };

static int hasArrow(HWND toolbar) {
    TBBUTTONINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    SendMessageA(toolbar, TB_GETBUTTONINFOA, BUTTON_ID, (LPARAM)&info);
    return (info.fsStyle & BTNS_DROPDOWN) != 0;
}

static HWND makeFrame(HINSTANCE instance) {
    WNDCLASSA frameClass;
    memset(&frameClass, 0, sizeof frameClass);
    frameClass.lpfnWndProc = DefWindowProcA;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = "IEFrame";
    RegisterClassA(&frameClass);
    return CreateWindowExA(0, "IEFrame", "stand-in frame", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200,
                           NULL, NULL, instance, NULL);
}

static HWND makeToolbar(HWND frame, HINSTANCE instance) {
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                   frame, (HMENU)(INT_PTR)MAIN_TOOLBAR_ID, instance, NULL);
    TBBUTTON button;
    memset(&button, 0, sizeof button);
    button.iBitmap = I_IMAGENONE;
    button.idCommand = BUTTON_ID;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_DROPDOWN;
    button.iString = -1;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar, TB_ADDBUTTONSA, 1, (LPARAM)&button);
    return toolbar;
}

int main(void) {
    INITCOMMONCONTROLSEX controls = {(DWORD)sizeof controls, ICC_BAR_CLASSES};
    HINSTANCE instance = GetModuleHandleA(NULL);
    InitCommonControlsEx(&controls);
    HWND frame = makeFrame(instance);
    HWND toolbar = frame != NULL ? makeToolbar(frame, instance) : NULL;
    HWND notify =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
    if (toolbar == NULL || notify == NULL) {
        fprintf(stderr, "consumer: cannot make the frame (error %lu)\n", GetLastError());
        return 2;
    }

    const int before = hasArrow(toolbar);
    installHook_EXPIE(GetModuleHandleA(TARVIK_DLL_NAME), notify);
    showHideAllDropdownArrow_EXPIE(0, 1);
    const int applied = hasArrow(toolbar);
    restoreAllDropdownArrow_EXPIE();
    restoreAllToolbar_EXPIE();
    const int restored = hasArrow(toolbar);
    uninstallHook_EXPIE();

    printf("drop-down arrow: before %d, applied %d, restored %d\n", before, applied, restored);
    DestroyWindow(notify);
    DestroyWindow(frame);
    return before && !applied && restored ? 0 : 1;
}
