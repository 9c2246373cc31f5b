// Menu read-back for the context-menu tests.
#include "menu_readback.h"

namespace menu_test {

namespace {

constexpr int kCaptionChars = 256;

MenuEntry readItem(HMENU menu, int position, int depth) {
    MenuEntry entry;
    char caption[kCaptionChars] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = kCaptionChars - 1;
    entry.readable = GetMenuItemInfoA(menu, position, TRUE, &info) != FALSE;
    if (!entry.readable) return entry;
    entry.separator = (info.fType & MFT_SEPARATOR) != 0;
    entry.checked = (info.fState & MFS_CHECKED) != 0;
    entry.id = info.wID;
    entry.submenu = info.hSubMenu;
    if (!entry.separator) entry.caption = caption;
    // A submenu is read through GetSubMenu, the way a menu loop finds it.
    if (entry.submenu != nullptr && depth > 0) {
        HMENU sub = GetSubMenu(menu, position);
        const int count = GetMenuItemCount(sub);
        for (int i = 0; i < count; ++i)
            entry.children.push_back(readItem(sub, i, depth - 1));
    }
    return entry;
}

} // namespace

std::vector<MenuEntry> readMenu(HMENU menu) {
    std::vector<MenuEntry> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        items.push_back(readItem(menu, i, 2));
    return items;
}

std::string describe(const std::vector<MenuEntry>& items) {
    std::string text;
    for (const MenuEntry& item : items) {
        if (!text.empty()) text += " | ";
        if (!item.readable) {
            text += "<unreadable>";
        } else if (item.separator) {
            text += "---";
        } else if (item.submenu != nullptr) {
            text.append("\"").append(item.caption).append("\"{");
            text.append(describe(item.children)).append("}");
        } else {
            text.append("\"").append(item.caption).append("\"=");
            text.append(std::to_string(item.id));
            if (item.checked) text.append(" [x]");
        }
    }
    return text;
}

std::string describeMenu(HMENU menu) {
    return describe(readMenu(menu));
}

HMENU makeToolbarMenu(bool firstChecked) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | (firstChecked ? MF_CHECKED : MF_UNCHECKED), 0x7200,
                "Standard Buttons");
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 0x7201, "Address Bar");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 0x7204, "Customize...");
    return menu;
}

void configureTools(TarvikSetPopupFn setPopup) {
    const int ids[] = {kOpenId, -1, kCloseId};
    const char* const texts[] = {"Open", nullptr, "Close"};
    setPopup(kToolsTitle, ids, texts, 3, kMenuBarText);
}

std::string toolsBlock() {
    return "--- | \"Tools\"{\"Open\"=100 | --- | \"Close\"=101}";
}

std::string toggleItem(bool checked, const char* caption) {
    std::string item = "\"";
    item.append(caption).append("\"=").append(std::to_string(CMD_TOGGLE_MENUBAR));
    if (checked) item.append(" [x]");
    return item;
}

} // namespace menu_test
