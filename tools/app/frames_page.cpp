// The Explorer and Browser pages: one template, four hide settings each.
#include "pages.h"
#include "resource.h"

#include <prsht.h>

namespace tarvik_app {

namespace {

tarvikctl::FrameOptions& optionsOf(PageIndex index) {
    return index == kExplorerPage ? sheetState().draft.explorer : sheetState().draft.browser;
}

void check(HWND page, int control, bool on) {
    CheckDlgButton(page, control, on ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace

void readFramesPage(HWND page, tarvikctl::FrameOptions& options) {
    options.hideLogo = IsDlgButtonChecked(page, IDC_HIDE_LOGO) == BST_CHECKED;
    options.hideMenu = IsDlgButtonChecked(page, IDC_HIDE_MENU) == BST_CHECKED;
    options.hideTitles = IsDlgButtonChecked(page, IDC_HIDE_TITLES) == BST_CHECKED;
    options.hideDropdowns = IsDlgButtonChecked(page, IDC_HIDE_DROPDOWNS) == BST_CHECKED;
}

INT_PTR CALLBACK framesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto index =
            static_cast<PageIndex>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        pageCreated(page, index);
        const tarvikctl::FrameOptions& options = optionsOf(index);
        check(page, IDC_HIDE_LOGO, options.hideLogo);
        check(page, IDC_HIDE_MENU, options.hideMenu);
        check(page, IDC_HIDE_TITLES, options.hideTitles);
        check(page, IDC_HIDE_DROPDOWNS, options.hideDropdowns);
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) pageChanged(page);
        return TRUE;
    default: return commonPageMessage(page, message, lParam);
    }
}

} // namespace tarvik_app
