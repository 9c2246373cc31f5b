// What the settings pages share: the settings the sheet opened with, the pages
// made so far, and how a page reports changes and reads its controls back.
#pragma once

#include <windows.h>
#include <string>

#include "settings.h"

namespace tarvik_app {

enum PageIndex { kIconsPage, kExplorerPage, kBrowserPage, kMenuPage, kGeneralPage, kPageCount };

struct SheetState {
    tarvikctl::Settings draft; // what the pages start from; updated by each Apply
    bool startAtLogon = false;
    HWND pages[kPageCount] = {};
};

SheetState& sheetState();

INT_PTR CALLBACK iconsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK framesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK menuPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK generalPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Page controls into settings; "" or the problem, in words for the user.
std::string readIconsPage(HWND page, tarvikctl::Settings& settings);
void readFramesPage(HWND page, tarvikctl::FrameOptions& options);
std::string readMenuPage(HWND page, tarvikctl::Settings& settings);
bool readGeneralPage(HWND page);

// Enables Apply.
void pageChanged(HWND page);
// WM_NOTIFY common to every page. True if handled (the dialog result is then set).
bool commonPageMessage(HWND page, UINT message, LPARAM lParam);
// Registers a page as made (WM_INITDIALOG).
void pageCreated(HWND page, PageIndex index);

// The path typed on a page: relative ones are taken from the settings file's folder.
std::string typedPath(HWND page, int control);
// The Open dialog for an existing file of `filter`; the choice goes into `control`.
void browseForFile(HWND page, int control, const char* filter);
std::string windowText(HWND window);

} // namespace tarvik_app
