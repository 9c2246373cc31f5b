// The Icons page: where the icons come from (none, a folder of .ico files, a BMP
// strip, or icons picked slot by slot with the system's Change Icon dialog), their
// sizes, and a preview of the slots in use made exactly as Apply will make them, from
// files read in the background.
#include "app.h"
#include "pages.h"
#include "resource.h"
#include "text.h"

#include <commctrl.h>
#include <shlobj.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace tarvik_app {

using tarvikctl::cat;
using tarvikctl::IconSource;
using tarvikctl::num;
using tarvikctl::SlotIcon;

namespace {

constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 300;
constexpr int kPreviewGap = 6;
// The system's Change Icon dialog. Windows 2000 and XP export PickIconDlg from shell32
// by ordinal 62 alone, Vista and later by name as well: it is taken by that ordinal,
// which every version keeps, rather than imported by a name XP's loader cannot find.
constexpr WORD kPickIconDlgOrdinal = 62;
using PickIconDlgFunction = int(WINAPI*)(HWND, PWSTR, UINT, int*);
// Posted to the page once the preview's icons are read; lParam: the read's tag.
constexpr UINT kMsgPreviewRead = WM_APP + 30;

struct IconsPage {
    std::vector<SlotIcon> slots;
    std::unique_ptr<tarvikctl::IconSet> preview = std::make_unique<tarvikctl::IconSet>();
    std::shared_ptr<IconsRead> reading; // the latest preview asked for
    tarvikctl::IconSource readingSource = IconSource::None;
    bool loading = false;
};

IconsPage state;

constexpr int kSourceButtons[] = {IDC_SRC_NONE, IDC_SRC_FOLDER, IDC_SRC_STRIP, IDC_SRC_SLOTS};

IconSource chosenSource(HWND page) {
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(page, kSourceButtons[i]) == BST_CHECKED)
            return static_cast<IconSource>(i);
    return IconSource::None;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void fillSlotList(HWND page, int select) {
    HWND list = GetDlgItem(page, IDC_SLOT_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const SlotIcon& slot : state.slots) {
        char slotText[16];
        wsprintfA(slotText, "%02d%s: ", slot.slot, slot.hot ? " hot" : "");
        const std::string text = cat(slotText, fileName(slot.file), ", ", num(slot.index));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void enableControls(HWND page) {
    const IconSource source = chosenSource(page);
    for (int control : {IDC_FOLDER, IDC_FOLDER_BROWSE})
        EnableWindow(GetDlgItem(page, control), source == IconSource::Folder);
    for (int control : {IDC_STRIP, IDC_STRIP_BROWSE, IDC_HOT_STRIP, IDC_HOT_STRIP_BROWSE})
        EnableWindow(GetDlgItem(page, control), source == IconSource::Strip);
    for (int control : {IDC_SLOT_LIST, IDC_SLOT_NUMBER, IDC_SLOT_SPIN, IDC_SLOT_HOT, IDC_SLOT_PICK,
                        IDC_SLOT_REMOVE})
        EnableWindow(GetDlgItem(page, control), source == IconSource::Slots);
}

void schedulePreview(HWND page) {
    SetTimer(page, kPreviewTimer, kPreviewDelayMs, nullptr);
}

void showPreview(HWND page, const std::string& problem, IconSource source) {
    const int used = state.preview->slotsInUse();
    const std::string note = !problem.empty() ? problem
                             : source == IconSource::None
                                 ? std::string("The toolbars keep their own icons.")
                                 : cat(num(used), " slot", used == 1 ? "" : "s", " in use");
    SetDlgItemTextA(page, IDC_PREVIEW_NOTE, note.c_str());
    InvalidateRect(GetDlgItem(page, IDC_PREVIEW), nullptr, TRUE);
}

void makePreview(HWND page) {
    KillTimer(page, kPreviewTimer);
    tarvikctl::Settings settings;
    const std::string problem = readIconsPage(page, settings);
    // An earlier read still under way ends on its own; its icons go unused.
    state.reading = nullptr;
    if (!problem.empty()) {
        state.preview->release();
        return showPreview(page, problem, settings.iconSource);
    }
    state.reading = readIcons(settings, page, kMsgPreviewRead);
    state.readingSource = settings.iconSource;
    if (state.reading) SetDlgItemTextA(page, IDC_PREVIEW_NOTE, "Reading the icon files...");
}

void previewRead(HWND page, LPARAM tag) {
    if (!state.reading || state.reading->tag != tag) return;
    std::shared_ptr<IconsRead> read = std::move(state.reading);
    state.preview = std::move(read->icons);
    showPreview(page, read->problem, state.readingSource);
}

void drawPreview(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    const tarvikctl::IconSet& icons = *state.preview;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const int size = std::min(icons.largeSize, height - 4);
    int x = item.rcItem.left + kPreviewGap;
    const int y = item.rcItem.top + (height - size) / 2;
    for (int slot = 0; slot < tarvikctl::kIconSlots && x + size <= item.rcItem.right; ++slot) {
        if (icons.large[slot] == nullptr && icons.largeHot[slot] == nullptr) continue;
        for (HICON icon : {icons.large[slot], icons.largeHot[slot]}) {
            if (icon != nullptr && x + size <= item.rcItem.right)
                DrawIconEx(item.hDC, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
            x += size + 1;
        }
        x += kPreviewGap;
    }
}

void browseFolder(HWND page) {
    BROWSEINFOA info{};
    info.hwndOwner = GetParent(page);
    info.lpszTitle = "The folder of 00.ico .. 63.ico (hot icons: hot-00.ico ..)";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (chosen == nullptr) return;
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(page, IDC_FOLDER, path);
    CoTaskMemFree(chosen);
}

void browseStrip(HWND page, int control) {
    browseForFile(page, control, "Bitmaps (*.bmp)\0*.bmp\0All files\0*.*\0");
}

// The system's Change Icon dialog for the slot and kind set beside the list.
void pickIcon(HWND page) {
    BOOL number = FALSE;
    const UINT slotNumber = GetDlgItemInt(page, IDC_SLOT_NUMBER, &number, FALSE);
    if (!number || slotNumber >= static_cast<UINT>(tarvikctl::kIconSlots)) {
        MessageBoxA(GetParent(page), "The slot is a number 0..63.", kAppTitle,
                    MB_OK | MB_ICONWARNING);
        return;
    }
    const bool hot = IsDlgButtonChecked(page, IDC_SLOT_HOT) == BST_CHECKED;
    auto same = [&](const SlotIcon& icon) {
        return icon.slot == static_cast<int>(slotNumber) && icon.hot == hot;
    };
    auto existing = std::find_if(state.slots.begin(), state.slots.end(), same);
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    lstrcatW(path, L"\\shell32.dll");
    int index = 0;
    if (existing != state.slots.end()) {
        MultiByteToWideChar(CP_ACP, 0, existing->file.c_str(), -1, path, MAX_PATH);
        index = existing->index;
    }
    HMODULE shell = GetModuleHandleA("shell32.dll");
    const auto pickIconDlg = reinterpret_cast<PickIconDlgFunction>(reinterpret_cast<void*>(
        shell != nullptr ? GetProcAddress(shell, MAKEINTRESOURCEA(kPickIconDlgOrdinal)) : nullptr));
    const int picked =
        pickIconDlg != nullptr ? pickIconDlg(GetParent(page), path, MAX_PATH, &index) : -1;
    if (picked == -1)
        MessageBoxA(GetParent(page), "The system's Change Icon dialog cannot be opened here.",
                    kAppTitle, MB_OK | MB_ICONWARNING);
    if (picked != 1) return;
    wchar_t expanded[MAX_PATH] = {};
    if (ExpandEnvironmentStringsW(path, expanded, MAX_PATH) == 0)
        lstrcpynW(expanded, path, MAX_PATH);
    char file[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, expanded, -1, file, MAX_PATH, nullptr, nullptr);
    const SlotIcon chosen{static_cast<int>(slotNumber), hot, file, index};
    if (existing != state.slots.end())
        *existing = chosen;
    else
        state.slots.push_back(chosen);
    std::sort(state.slots.begin(), state.slots.end(), [](const SlotIcon& a, const SlotIcon& b) {
        return a.slot != b.slot ? a.slot < b.slot : a.hot < b.hot;
    });
    const auto at = std::find_if(state.slots.begin(), state.slots.end(), same);
    fillSlotList(page, static_cast<int>(at - state.slots.begin()));
}

void command(HWND page, int control, int code) {
    switch (control) {
    case IDC_SRC_NONE:
    case IDC_SRC_FOLDER:
    case IDC_SRC_STRIP:
    case IDC_SRC_SLOTS:
        if (code != BN_CLICKED) return;
        enableControls(page);
        break;
    case IDC_FOLDER_BROWSE: browseFolder(page); return;
    case IDC_STRIP_BROWSE: browseStrip(page, IDC_STRIP); return;
    case IDC_HOT_STRIP_BROWSE: browseStrip(page, IDC_HOT_STRIP); return;
    case IDC_SLOT_LIST: {
        if (code != LBN_SELCHANGE) return;
        const auto index =
            static_cast<int>(SendDlgItemMessageA(page, IDC_SLOT_LIST, LB_GETCURSEL, 0, 0));
        if (index < 0 || index >= static_cast<int>(state.slots.size())) return;
        SetDlgItemInt(page, IDC_SLOT_NUMBER, static_cast<UINT>(state.slots[index].slot), FALSE);
        CheckDlgButton(page, IDC_SLOT_HOT, state.slots[index].hot ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    case IDC_SLOT_PICK: pickIcon(page); break;
    case IDC_SLOT_REMOVE: {
        const auto index =
            static_cast<int>(SendDlgItemMessageA(page, IDC_SLOT_LIST, LB_GETCURSEL, 0, 0));
        if (index < 0 || index >= static_cast<int>(state.slots.size())) return;
        state.slots.erase(state.slots.begin() + index);
        fillSlotList(page, std::min(index, static_cast<int>(state.slots.size()) - 1));
        break;
    }
    case IDC_FOLDER:
    case IDC_STRIP:
    case IDC_HOT_STRIP:
    case IDC_LARGE_SIZE:
    case IDC_SMALL_SIZE:
        if (code != EN_CHANGE || state.loading) return;
        break;
    default: return;
    }
    pageChanged(page);
    schedulePreview(page);
}

std::string readSize(HWND page, int control, const char* what, int& size) {
    BOOL number = FALSE;
    const UINT value = GetDlgItemInt(page, control, &number, FALSE);
    if (!number || value < static_cast<UINT>(tarvikctl::kMinIconSize) ||
        value > static_cast<UINT>(tarvikctl::kMaxIconSize))
        return cat("Icons: the ", what, " size is 1..256 pixels.");
    size = static_cast<int>(value);
    return "";
}

} // namespace

std::string readIconsPage(HWND page, tarvikctl::Settings& settings) {
    settings.iconSource = chosenSource(page);
    settings.iconFolder.clear();
    settings.strip.clear();
    settings.hotStrip.clear();
    settings.slotIcons.clear();
    std::string problem = readSize(page, IDC_LARGE_SIZE, "large", settings.largeSize);
    if (problem.empty()) problem = readSize(page, IDC_SMALL_SIZE, "small", settings.smallSize);
    if (!problem.empty()) return problem;
    switch (settings.iconSource) {
    case IconSource::None: return "";
    case IconSource::Folder:
        settings.iconFolder = typedPath(page, IDC_FOLDER);
        return settings.iconFolder.empty() ? "Icons: name the folder of .ico files." : "";
    case IconSource::Strip:
        settings.strip = typedPath(page, IDC_STRIP);
        settings.hotStrip = typedPath(page, IDC_HOT_STRIP);
        return settings.strip.empty() ? "Icons: name the BMP strip." : "";
    case IconSource::Slots:
        settings.slotIcons = state.slots;
        return settings.slotIcons.empty() ? "Icons: pick an icon for at least one slot." : "";
    }
    return "";
}

INT_PTR CALLBACK iconsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        pageCreated(page, kIconsPage);
        const tarvikctl::Settings& draft = sheetState().draft;
        state.slots = draft.slotIcons;
        state.loading = true;
        CheckRadioButton(page, IDC_SRC_NONE, IDC_SRC_SLOTS,
                         kSourceButtons[static_cast<int>(draft.iconSource)]);
        SetDlgItemTextA(page, IDC_FOLDER, draft.iconFolder.c_str());
        SetDlgItemTextA(page, IDC_STRIP, draft.strip.c_str());
        SetDlgItemTextA(page, IDC_HOT_STRIP, draft.hotStrip.c_str());
        SendDlgItemMessageA(page, IDC_SLOT_SPIN, UDM_SETRANGE32, 0, tarvikctl::kIconSlots - 1);
        SendDlgItemMessageA(page, IDC_SLOT_SPIN, UDM_SETPOS32, 0, 0);
        for (int spin : {IDC_LARGE_SPIN, IDC_SMALL_SPIN})
            SendDlgItemMessageA(page, spin, UDM_SETRANGE32, tarvikctl::kMinIconSize,
                                tarvikctl::kMaxIconSize);
        SendDlgItemMessageA(page, IDC_LARGE_SPIN, UDM_SETPOS32, 0, draft.largeSize);
        SendDlgItemMessageA(page, IDC_SMALL_SPIN, UDM_SETPOS32, 0, draft.smallSize);
        fillSlotList(page, state.slots.empty() ? -1 : 0);
        state.loading = false;
        enableControls(page);
        makePreview(page);
        return TRUE;
    }
    case WM_COMMAND: command(page, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_TIMER:
        if (wParam == kPreviewTimer) makePreview(page);
        return TRUE;
    case kMsgPreviewRead: previewRead(page, lParam); return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_PREVIEW) return FALSE;
        drawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        state.reading = nullptr;
        state.preview->release();
        return FALSE;
    default: return commonPageMessage(page, message, lParam);
    }
}

} // namespace tarvik_app
