// The settings block shared by every process that maps the library.
// Written by the exports in the controller's process and by the hooks inside
// the frames' processes; fields are aligned words or short char arrays.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "TarvikToolBar.h"

constexpr int kIconSlots = TARVIK_ICON_SLOTS;
constexpr int kPopupItems = TARVIK_POPUP_ITEMS;
constexpr int kCaptionBytes = TARVIK_CAPTION_BYTES;
constexpr int kFrameKinds = 2;

struct SharedState {
    HHOOK hookCallWndProc;
    HHOOK hookCallWndProcRet;
    HHOOK hookGetMessage;
    HHOOK hookMouse;
    HHOOK hookKeyboard;
    HHOOK hookKeyboardLL;
    int inactive;
    int restoring;
    HWND notifyWindow;
    int popupEnabled;
    char popupTitle[kCaptionBytes];
    int popupItemCount;
    int popupItemIds[kPopupItems];
    char popupItemTexts[kPopupItems][kCaptionBytes];
    char menuBarItemText[kCaptionBytes];
    int explorerIconsApplied;
    int iconCount;
    int iconIndex[kIconSlots];
    HICON largeIcons[kIconSlots];
    HICON largeHotIcons[kIconSlots];
    HICON smallIcons[kIconSlots];
    HICON smallHotIcons[kIconSlots];
    HIMAGELIST explorerLargeList, explorerLargeHotList;
    HIMAGELIST ieLargeList, ieLargeHotList;
    HIMAGELIST explorerSmallList, explorerSmallHotList;
    HIMAGELIST ieSmallList, ieSmallHotList;
    int iconSizeMode;
    int largeIconSize;
    int smallIconSize;
    int hideLogo[kFrameKinds];
    int hideMenu[kFrameKinds];
    int menuBandVisible;
    int hideHeader[kFrameKinds];
    int hideDropdown[kFrameKinds];
    HICON savedLargeIcons[kIconSlots], savedLargeHotIcons[kIconSlots];
    int savedLargeValid, savedSmallValid;
    HICON savedSmallIcons[kIconSlots], savedSmallHotIcons[kIconSlots];
    int dropdownTouched[kFrameKinds][kIconSlots];
    // Process that captured each Explorer pair, beside the copied handles: a record for
    // readers, never trusted (a list handle means something only in its own process).
    DWORD explorerLargeListsOwner;
    DWORD explorerSmallListsOwner;
    // Moves with every change of the controller's icons, their sizes or their restore:
    // a process compares it with the value its own fills started from.
    LONG iconGeneration;
};

#ifndef _WIN64
static_assert(sizeof(SharedState) == 3320, "32-bit layout of the shared block");
#endif

// The one desktop-wide instance, in the image's "shared" section.
extern SharedState sharedState;

// iconSizeMode values.
constexpr int kSizeModeUnknown = 0;
constexpr int kSizeModeLarge = 1;
constexpr int kSizeModeSmall = 2;
