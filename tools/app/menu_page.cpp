// The Context menu page: the submenu's title, up to 8 entries edited in place
// (caption, command id, something to open, or a separator), the toggle's caption.
#include "app.h"
#include "pages.h"
#include "resource.h"
#include "text.h"

#include <vector>

namespace tarvik_app {

using tarvikctl::cat;
using tarvikctl::kSeparatorId;
using tarvikctl::MenuEntry;

namespace {

constexpr int kFirstNewId = 40001;

struct MenuPage {
    std::vector<MenuEntry> entries;
    bool loading = false; // controls being filled in: their notifications are ours
};

MenuPage state;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    return text.substr(start);
}

std::string shownEntry(const MenuEntry& entry) {
    if (entry.id == kSeparatorId) return "----------------";
    std::string text = cat(entry.caption, "  (", tarvikctl::num(entry.id), ")");
    if (!entry.open.empty()) text += cat("  -> ", entry.open);
    return text;
}

int selected(HWND page) {
    const auto index =
        static_cast<int>(SendDlgItemMessageA(page, IDC_MENU_LIST, LB_GETCURSEL, 0, 0));
    return index >= 0 && index < static_cast<int>(state.entries.size()) ? index : -1;
}

void enableControls(HWND page) {
    const bool menu = IsDlgButtonChecked(page, IDC_MENU_ENABLE) == BST_CHECKED;
    const int index = selected(page);
    const bool entry = menu && index >= 0;
    const bool text = entry && state.entries[index].id != kSeparatorId;
    EnableWindow(GetDlgItem(page, IDC_MENU_TITLE), menu);
    EnableWindow(GetDlgItem(page, IDC_MENU_LIST), menu);
    EnableWindow(GetDlgItem(page, IDC_MENU_TOGGLE), menu);
    EnableWindow(GetDlgItem(page, IDC_ITEM_NEW),
                 menu && state.entries.size() < static_cast<std::size_t>(tarvikctl::kMenuEntries));
    EnableWindow(GetDlgItem(page, IDC_ITEM_REMOVE), entry);
    EnableWindow(GetDlgItem(page, IDC_ITEM_UP), entry && index > 0);
    EnableWindow(GetDlgItem(page, IDC_ITEM_DOWN),
                 entry && index + 1 < static_cast<int>(state.entries.size()));
    EnableWindow(GetDlgItem(page, IDC_ITEM_SEPARATOR), entry);
    for (int control : {IDC_ITEM_CAPTION, IDC_ITEM_ID, IDC_ITEM_OPEN, IDC_ITEM_BROWSE})
        EnableWindow(GetDlgItem(page, control), text);
}

// The selected entry into the edit fields.
void showSelected(HWND page) {
    const int index = selected(page);
    const MenuEntry none;
    const MenuEntry& entry = index >= 0 ? state.entries[index] : none;
    state.loading = true;
    CheckDlgButton(page, IDC_ITEM_SEPARATOR,
                   index >= 0 && entry.id == kSeparatorId ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(page, IDC_ITEM_CAPTION, entry.caption.c_str());
    SetDlgItemTextA(page, IDC_ITEM_ID,
                    entry.id == kSeparatorId ? "" : tarvikctl::num(entry.id).c_str());
    SetDlgItemTextA(page, IDC_ITEM_OPEN, entry.open.c_str());
    state.loading = false;
    enableControls(page);
}

void fillList(HWND page, int select) {
    HWND list = GetDlgItem(page, IDC_MENU_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const MenuEntry& entry : state.entries)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shownEntry(entry).c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    showSelected(page);
}

// The edit fields into the selected entry.
void takeFields(HWND page) {
    const int index = selected(page);
    if (index < 0 || state.loading) return;
    MenuEntry& entry = state.entries[index];
    if (entry.id == kSeparatorId) return;
    entry.caption = trimmed(windowText(GetDlgItem(page, IDC_ITEM_CAPTION)));
    BOOL number = FALSE;
    const UINT id = GetDlgItemInt(page, IDC_ITEM_ID, &number, FALSE);
    entry.id = number ? static_cast<int>(id) : 0;
    entry.open = trimmed(windowText(GetDlgItem(page, IDC_ITEM_OPEN)));
    HWND list = GetDlgItem(page, IDC_MENU_LIST);
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(shownEntry(entry).c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int unusedId() {
    for (int id = kFirstNewId;; ++id) {
        bool used = false;
        for (const MenuEntry& entry : state.entries)
            used = used || entry.id == id;
        if (!used) return id;
    }
}

void browseForOpen(HWND page) {
    browseForFile(page, IDC_ITEM_OPEN, "Programs\0*.exe;*.com;*.bat;*.cmd\0All files\0*.*\0");
}

void command(HWND page, int control, int code) {
    int index = selected(page);
    const auto count = static_cast<int>(state.entries.size());
    switch (control) {
    case IDC_MENU_ENABLE: enableControls(page); break;
    case IDC_MENU_LIST:
        if (code == LBN_SELCHANGE) showSelected(page);
        return;
    case IDC_ITEM_NEW:
        if (count >= tarvikctl::kMenuEntries) return;
        state.entries.push_back(MenuEntry{unusedId(), "New entry", ""});
        fillList(page, count);
        SetFocus(GetDlgItem(page, IDC_ITEM_CAPTION));
        SendDlgItemMessageA(page, IDC_ITEM_CAPTION, EM_SETSEL, 0, -1);
        break;
    case IDC_ITEM_REMOVE:
        if (index < 0) return;
        state.entries.erase(state.entries.begin() + index);
        fillList(page, index < count - 1 ? index : count - 2);
        break;
    case IDC_ITEM_UP:
    case IDC_ITEM_DOWN: {
        const int other = control == IDC_ITEM_UP ? index - 1 : index + 1;
        if (index < 0 || other < 0 || other >= count) return;
        std::swap(state.entries[index], state.entries[other]);
        fillList(page, other);
        break;
    }
    case IDC_ITEM_SEPARATOR:
        if (index < 0) return;
        if (IsDlgButtonChecked(page, IDC_ITEM_SEPARATOR) == BST_CHECKED)
            state.entries[index] = MenuEntry{};
        else
            state.entries[index] = MenuEntry{unusedId(), "New entry", ""};
        fillList(page, index);
        break;
    case IDC_ITEM_BROWSE: browseForOpen(page); return;
    case IDC_ITEM_CAPTION:
    case IDC_ITEM_ID:
    case IDC_ITEM_OPEN:
        if (code != EN_CHANGE || state.loading) return;
        takeFields(page);
        break;
    case IDC_MENU_TITLE:
    case IDC_MENU_TOGGLE:
        if (code != EN_CHANGE || state.loading) return;
        break;
    default: return;
    }
    pageChanged(page);
}

} // namespace

std::string readMenuPage(HWND page, tarvikctl::Settings& settings) {
    settings.menuEnabled = IsDlgButtonChecked(page, IDC_MENU_ENABLE) == BST_CHECKED;
    settings.menuEntries.clear();
    settings.menuTitle.clear();
    settings.toggleCaption.clear();
    if (!settings.menuEnabled) return "";
    settings.menuTitle = trimmed(windowText(GetDlgItem(page, IDC_MENU_TITLE)));
    settings.toggleCaption = trimmed(windowText(GetDlgItem(page, IDC_MENU_TOGGLE)));
    settings.menuEntries = state.entries;
    if (settings.menuTitle.empty()) return "Context menu: the submenu needs a title.";
    if (settings.toggleCaption.empty()) return "Context menu: the menu-bar item needs a caption.";
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        const MenuEntry& entry = state.entries[i];
        if (entry.id == kSeparatorId) continue;
        const std::string which = cat("Context menu, entry ", tarvikctl::num(i + 1), ": ");
        if (entry.caption.empty()) return which + "the caption is empty.";
        if (entry.id < tarvikctl::kMinCommandId || entry.id > tarvikctl::kMaxCommandId ||
            entry.id == tarvikctl::kReservedCommandId)
            return which + "the command id is 1..65535 (not 3544).";
    }
    return "";
}

INT_PTR CALLBACK menuPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        pageCreated(page, kMenuPage);
        const tarvikctl::Settings& draft = sheetState().draft;
        state = MenuPage{};
        state.entries = draft.menuEntries;
        state.loading = true;
        CheckDlgButton(page, IDC_MENU_ENABLE, draft.menuEnabled ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(page, IDC_MENU_TITLE,
                        draft.menuEnabled ? draft.menuTitle.c_str() : "TarvikToolBar");
        SetDlgItemTextA(page, IDC_MENU_TOGGLE,
                        draft.menuEnabled ? draft.toggleCaption.c_str() : "Menu bar");
        for (int control : {IDC_MENU_TITLE, IDC_MENU_TOGGLE, IDC_ITEM_CAPTION, IDC_ITEM_OPEN})
            SendDlgItemMessageA(page, control, EM_LIMITTEXT,
                                control == IDC_ITEM_OPEN ? MAX_PATH : tarvikctl::kCaptionMaxBytes,
                                0);
        state.loading = false;
        fillList(page, state.entries.empty() ? -1 : 0);
        return TRUE;
    }
    case WM_COMMAND: command(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    default: return commonPageMessage(page, message, lParam);
    }
}

} // namespace tarvik_app
