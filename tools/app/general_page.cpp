// The General page: start at logon, and where the settings file is.
#include "app.h"
#include "pages.h"
#include "resource.h"
#include "startup.h"

namespace tarvik_app {

bool readGeneralPage(HWND page) {
    return IsDlgButtonChecked(page, IDC_START_AT_LOGON) == BST_CHECKED;
}

INT_PTR CALLBACK generalPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        pageCreated(page, kGeneralPage);
        CheckDlgButton(page, IDC_START_AT_LOGON,
                       sheetState().startAtLogon ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(page, IDC_SETTINGS_PATH, app().settingsPath.c_str());
        SetDlgItemTextA(page, IDC_VERSION, "TarvikToolBar " TARVIK_VERSION);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_OPEN_FOLDER && HIWORD(wParam) == BN_CLICKED) {
            openInBackground(tarvikctl::folderOf(app().settingsPath), "");
        } else if (LOWORD(wParam) == IDC_START_AT_LOGON && HIWORD(wParam) == BN_CLICKED) {
            pageChanged(page);
        }
        return TRUE;
    default: return commonPageMessage(page, message, lParam);
    }
}

} // namespace tarvik_app
