// The image-list functions the library uses, taken from the module that registered
// a toolbar's window class rather than imported: a process that never shows a
// toolbar then never maps comctl32 because of us, and a process holding two
// comctl32 modules (versions 5 and 6) has each list handled by the one that made it.
#pragma once

#include <windows.h>
#include <commctrl.h>

struct ImageListApi {
    decltype(&ImageList_GetImageInfo) getImageInfo;
    decltype(&ImageList_GetImageCount) getImageCount;
    decltype(&ImageList_GetIcon) getIcon;
    decltype(&ImageList_GetIconSize) getIconSize;
    decltype(&ImageList_SetIconSize) setIconSize;
    decltype(&ImageList_SetImageCount) setImageCount;
    decltype(&ImageList_Remove) remove;
    decltype(&ImageList_ReplaceIcon) replaceIcon;
    // Optional: fills a browser frame's lists from prepared strips (see icon_strips.h).
    decltype(&ImageList_Add) add;
};

// True when the table has every function but the optional ones; an incomplete table
// is all null.
bool complete(const ImageListApi& api);

// The functions of `module`, looked up once per module and process.
ImageListApi imageListApiOfModule(HMODULE module);
// The functions of the module that registered the toolbar's window class (loaded: the
// toolbar exists) or, when it lacks them, of the module holding the class's window
// procedure. *from, when given, gets the module used, null when neither has them all.
ImageListApi imageListApiOf(HWND toolbar, HMODULE* from = nullptr);
