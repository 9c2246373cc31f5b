// The frame's toolbars: the menu bar (text buttons, id 0, no window text), the main
// toolbar (id 0xA000, image lists, drop-down buttons) and the links toolbar.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "frame_options.h"

namespace standin {

// Labels of the menu bar's buttons, in order.
constexpr const char* kMenuLabels[] = {"File", "Edit", "View", "Favorites", "Tools", "Help"};
constexpr const char* kLinksLabels[] = {"Customize Links", "Free Hotmail", "Windows Media",
                                        "Windows"};

HWND createMenuToolbar(HWND parent);
// `pattern` as FrameOptions::buttons; either list may be null. `module`: the instance
// whose "ToolbarWindow32" class to use (null: none, no toolbar).
HWND createMainToolbar(HWND parent, int controlId, const char* pattern, int imageCount,
                       HIMAGELIST normal, HIMAGELIST hot, HINSTANCE module);
HWND createLinksToolbar(HWND parent);

// Text of a main-toolbar button that shows image `image`.
const char* mainButtonLabel(int image);
// What buttonStyleFor answers for a letter that is no button (spaces, say).
constexpr BYTE kNotAButton = 0xFF;
// fsStyle for a pattern letter, or kNotAButton.
BYTE buttonStyleFor(char letter);

struct BarSize {
    int ideal;  // whole width (TB_GETMAXSIZE)
    int first;  // width of the first button: the least a band can shrink to
    int height; // button height
};
BarSize measureToolbar(HWND toolbar);

} // namespace standin
