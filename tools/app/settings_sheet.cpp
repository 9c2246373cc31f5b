// The sheet and its Apply: every page read back, the whole result checked (the
// file's own reader, every icon file loaded), the file replaced, then applied.
#include "settings_sheet.h"
#include "app.h"
#include "pages.h"
#include "resource.h"
#include "startup.h"
#include "text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>
#include <cstddef>

namespace tarvik_app {

using tarvikctl::cat;

namespace {

// An Apply whose icon files are being read; nothing is applied or written before.
struct PendingApply {
    std::shared_ptr<IconsRead> read;
    tarvikctl::Settings candidate;
    bool closeAfter = false; // asked for with OK
};

PendingApply pending;
WNDPROC sheetProcBefore = nullptr;
// Posted to the sheet: be busy while icons are read. Once the Apply round is over, as
// the sheet itself sets its buttons until then.
constexpr UINT kMsgSheetBusy = WM_APP + 21;

// "<file>:<line>: <problem>" without the file and line, which the user did not write.
std::string problemOnly(const std::string& error) {
    std::size_t at = error.find(": ");
    if (at == std::string::npos) return error;
    return error.substr(at + 2);
}

// While the icons are read only Cancel (and Esc) does anything, under a busy cursor.
void setBusy(HWND sheet, bool busy) {
    for (HWND control : {GetDlgItem(sheet, IDOK), GetDlgItem(sheet, IDC_SHEET_APPLY),
                         PropSheet_GetTabControl(sheet), PropSheet_GetCurrentPageHwnd(sheet)})
        EnableWindow(control, !busy);
    HWND focus = busy ? GetDlgItem(sheet, IDCANCEL) : PropSheet_GetTabControl(sheet);
    SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    RECT area{};
    POINT at{};
    if (GetWindowRect(sheet, &area) && GetCursorPos(&at) && PtInRect(&area, at))
        SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

// The sheet's own procedure, for its state and cursor while busy (Cancel keeps the arrow).
LRESULT CALLBACK sheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgSheetBusy) {
        if (pending.read) setBusy(sheet, true);
        return 0;
    }
    if (message == WM_SETCURSOR && pending.read &&
        reinterpret_cast<HWND>(wParam) != GetDlgItem(sheet, IDCANCEL)) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }
    return CallWindowProcW(sheetProcBefore, sheet, message, wParam, lParam);
}

// Every page read back and checked; then the icon files are read in the background.
// False if the user was told why not.
bool startApply(HWND sheet, bool closeAfter) {
    SheetState& s = sheetState();
    tarvikctl::Settings candidate = s.draft;
    std::string problem;
    if (s.pages[kIconsPage]) problem = readIconsPage(s.pages[kIconsPage], candidate);
    if (problem.empty() && s.pages[kExplorerPage])
        readFramesPage(s.pages[kExplorerPage], candidate.explorer);
    if (problem.empty() && s.pages[kBrowserPage])
        readFramesPage(s.pages[kBrowserPage], candidate.browser);
    if (problem.empty() && s.pages[kMenuPage])
        problem = readMenuPage(s.pages[kMenuPage], candidate);
    if (!problem.empty()) {
        say(sheet, problem + "\n\nNothing was applied or saved.", MB_OK | MB_ICONWARNING);
        return false;
    }
    const tarvikctl::SettingsResult reread =
        tarvikctl::parseSettings(tarvikctl::formatSettings(candidate), "", "");
    if (!reread.ok) {
        say(sheet,
            cat("These settings cannot be saved: ", problemOnly(reread.error),
                "\n\nNothing was applied or saved."),
            MB_OK | MB_ICONWARNING);
        return false;
    }
    pending.read = readIcons(candidate, app().window, kMsgIconsRead);
    if (!pending.read) return false;
    pending.candidate = std::move(candidate);
    pending.closeAfter = closeAfter;
    PostMessageA(sheet, kMsgSheetBusy, 0, 0);
    return true;
}

// With every file read: the file replaced, then the settings in force. True once
// done; else the user was told why not.
bool finishApply(HWND sheet, tarvikctl::Settings& candidate, IconsRead& read) {
    SheetState& s = sheetState();
    App& a = app();
    std::string problem = read.problem;
    if (!problem.empty()) {
        say(sheet,
            cat("An icon file cannot be used:\n\n", problem, "\n\nNothing was applied or saved."),
            MB_OK | MB_ICONERROR);
        return false;
    }
    if (!a.unreadableFile.empty() &&
        say(sheet,
            cat("The settings file could not be read when TarvikToolBar started:\n\n",
                a.unreadableFile, "\n\nReplace it with these settings? The old file is kept as ",
                a.settingsPath, ".bak."),
            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    problem = tarvikctl::saveSettingsFile(a.settingsPath, candidate);
    if (!problem.empty()) {
        say(sheet, cat("The settings cannot be saved:\n\n", problem, "\n\nNothing was applied."),
            MB_OK | MB_ICONERROR);
        return false;
    }
    takeSettings(candidate, std::move(read.icons));
    s.draft = candidate;
    if (s.pages[kGeneralPage]) {
        const bool start = readGeneralPage(s.pages[kGeneralPage]);
        if (start != startsAtLogon()) {
            problem = setStartAtLogon(start);
            if (!problem.empty())
                say(sheet, cat("The settings are applied, but ", problem, "."),
                    MB_OK | MB_ICONWARNING);
        }
        s.startAtLogon = startsAtLogon();
    }
    return true;
}

LRESULT applyRound(HWND page, const PSHNOTIFY& notice) {
    // Ends when the icons are read (iconsRead); until then the sheet stays as it is.
    if (!pending.read) startApply(GetParent(page), notice.lParam != FALSE);
    return PSNRET_INVALID_NOCHANGEPAGE;
}

// The structures' sizes as Windows XP's comctl32 6 knows them (Microsoft's
// PROPSHEETPAGE and PROPSHEETHEADER pages): the page's ends at hActCtx (V3; Vista's V4
// adds hbmHeader), the header's at hbmHeader (V2).
static_assert(sizeof(PROPSHEETPAGEA) == offsetof(PROPSHEETPAGEA, hActCtx) + sizeof(HANDLE));
static_assert(sizeof(PROPSHEETHEADERA) == offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP));

PROPSHEETPAGEA page(int templateId, DLGPROC procedure, LPARAM data = 0,
                    const char* title = nullptr) {
    PROPSHEETPAGEA sheetPage{};
    sheetPage.dwSize = sizeof sheetPage;
    sheetPage.dwFlags = title != nullptr ? PSP_USETITLE : PSP_DEFAULT;
    sheetPage.hInstance = app().instance;
    sheetPage.pszTemplate = MAKEINTRESOURCEA(templateId);
    sheetPage.pfnDlgProc = procedure;
    sheetPage.pszTitle = title;
    sheetPage.lParam = data;
    return sheetPage;
}

} // namespace

SheetState& sheetState() {
    static SheetState state;
    return state;
}

void pageChanged(HWND page) {
    PropSheet_Changed(GetParent(page), page);
}

void pageCreated(HWND page, PageIndex index) {
    sheetState().pages[index] = page;
}

bool commonPageMessage(HWND page, UINT message, LPARAM lParam) {
    if (message != WM_NOTIFY) return false;
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case PSN_APPLY:
        SetWindowLongPtrA(page, DWLP_MSGRESULT,
                          applyRound(page, *reinterpret_cast<const PSHNOTIFY*>(lParam)));
        return true;
    case PSN_KILLACTIVE: SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE); return true;
    default: return false;
    }
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

void browseForFile(HWND page, int control, const char* filter) {
    char path[MAX_PATH] = {};
    // The whole structure, FlagsEx included: Windows 2000 and later take it (Microsoft's
    // OPENFILENAME page; OPENFILENAME_SIZE_VERSION_400 is for earlier systems).
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetParent(page);
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&dialog)) SetDlgItemTextA(page, control, path);
}

std::string typedPath(HWND page, int control) {
    std::string path = windowText(GetDlgItem(page, control));
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t'))
        path.pop_back();
    while (!path.empty() && (path.front() == ' ' || path.front() == '\t'))
        path.erase(path.begin());
    if (path.empty()) return path;
    return tarvikctl::resolvePath(tarvikctl::folderOf(app().settingsPath), path);
}

void openSettingsSheet() {
    App& a = app();
    if (a.sheet != nullptr) {
        ShowWindow(a.sheet, SW_SHOWNORMAL);
        SetForegroundWindow(a.sheet);
        return;
    }
    SheetState& s = sheetState();
    s = SheetState{};
    s.draft = a.settings;
    s.startAtLogon = startsAtLogon();
    PROPSHEETPAGEA pages[kPageCount] = {
        page(IDD_ICONS, iconsPageProc),
        page(IDD_FRAMES, framesPageProc, kExplorerPage, "Explorer"),
        page(IDD_FRAMES, framesPageProc, kBrowserPage, "Browser"),
        page(IDD_MENU, menuPageProc),
        page(IDD_GENERAL, generalPageProc),
    };
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOCONTEXTHELP | PSH_USEICONID;
    header.hInstance = a.instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_APP);
    header.pszCaption = kSheetTitle;
    header.nPages = kPageCount;
    header.ppsp = pages;
    a.sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    if (a.sheet == nullptr || a.sheet == reinterpret_cast<HWND>(-1)) {
        a.sheet = nullptr;
        say(nullptr, "The settings window cannot be opened.", MB_OK | MB_ICONERROR);
        return;
    }
    sheetProcBefore = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(a.sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sheetProc)));
    SetForegroundWindow(a.sheet);
}

void closeSettingsSheet() {
    App& a = app();
    // A read under way ends on its own; nothing is applied or written.
    pending = PendingApply{};
    if (a.sheet != nullptr) DestroyWindow(a.sheet);
    a.sheet = nullptr;
    sheetState() = SheetState{};
}

void iconsRead(LPARAM tag) {
    HWND sheet = app().sheet;
    if (!pending.read || pending.read->tag != tag || sheet == nullptr) return;
    PendingApply done = std::move(pending);
    pending = PendingApply{};
    setBusy(sheet, false);
    if (!finishApply(sheet, done.candidate, *done.read)) return;
    // Closed while a message box was open (Exit, the end of the Windows session).
    if (app().sheet != sheet) return;
    if (done.closeAfter) return closeSettingsSheet();
    // As an Apply that returned at once: nothing left to apply.
    for (HWND page : sheetState().pages)
        if (page != nullptr) PropSheet_UnChanged(sheet, page);
}

bool sheetTakes(MSG& message) {
    App& a = app();
    return a.sheet != nullptr && PropSheet_IsDialogMessage(a.sheet, &message) != FALSE;
}

void dropClosedSheet() {
    // OK or Cancel leaves a modeless sheet without a current page.
    App& a = app();
    if (a.sheet != nullptr && PropSheet_GetCurrentPageHwnd(a.sheet) == nullptr)
        closeSettingsSheet();
}

} // namespace tarvik_app
