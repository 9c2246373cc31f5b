// Reads a popup menu back through GetMenuItemInfoA, so tests compare what the
// menu really holds: item kinds, ids, check marks, captions and submenus.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "TarvikToolBar.h"

namespace menu_test {

struct MenuEntry {
    bool readable = false; // GetMenuItemInfoA answered for this position
    bool separator = false;
    bool checked = false;
    UINT id = 0;
    std::string caption;
    HMENU submenu = nullptr;
    std::vector<MenuEntry> children; // the submenu's items, read at the same time
};

// Every item of the menu in position order; empty for an empty menu or no menu.
std::vector<MenuEntry> readMenu(HMENU menu);

// One line, items joined by " | ": a separator is ---, a string item "Caption"=id
// with " [x]" when checked, an item with a submenu "Caption"{items}.
std::string describe(const std::vector<MenuEntry>& items);
std::string describeMenu(HMENU menu);

// The toolbar context menu as a shell frame builds it: the first item, the
// toolbar's own entry, is checked while the toolbar shows.
HMENU makeToolbarMenu(bool firstChecked = true);

// The block the extension appends for the title "Tools", entries Open (100), a
// separator and Close (101); the toggle item follows when `toggle` is set.
constexpr const char kToolsTitle[] = "Tools";
constexpr int kOpenId = 100;
constexpr int kCloseId = 101;
constexpr const char kMenuBarText[] = "Menu bar";
// Configures that block through `setPopup` (the export, or its address in the DLL).
void configureTools(TarvikSetPopupFn setPopup);
std::string toolsBlock();
// The toggle item as it reads back: checked when the menu band shows.
std::string toggleItem(bool checked, const char* caption = kMenuBarText);

} // namespace menu_test
