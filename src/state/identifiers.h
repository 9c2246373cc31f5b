// Internal words of the library: broadcast flags, walk parameters, frame kinds.
// The identifiers a controller needs are in the public header.
#pragma once

#include <windows.h>
#include "TarvikToolBar.h"

// Broadcast flag word: which private messages broadcastToFrame sends.
constexpr LPARAM BC_ICONS_APPLY = 0x1;
constexpr LPARAM BC_ICONS_RESTORE = 0x2;
constexpr LPARAM BC_DROPDOWN_APPLY = 0x4;
constexpr LPARAM BC_DROPDOWN_RESTORE = 0x8;
constexpr LPARAM BC_LOGO_APPLY = 0x10;
constexpr LPARAM BC_LOGO_RESTORE = 0x20;
constexpr LPARAM BC_MENU_APPLY = 0x100;
constexpr LPARAM BC_MENU_RESTORE = 0x200;
constexpr LPARAM BC_MENU_REHIDE = 0x400;
constexpr LPARAM BC_HEADER_APPLY = 0x1000;
constexpr LPARAM BC_HEADER_RESTORE = 0x2000;
constexpr LPARAM BC_MANUAL = 0x10000; // from an export: go on with the next window
constexpr LPARAM BC_AUTO = 0x20000;   // re-application to one frame: stop after it

// Frame kinds as carried in lParam; 0 = not a frame.
constexpr int kKindNone = 0;
constexpr int kKindExplorer = TARVIK_KIND_EXPLORER;
constexpr int kKindIE = TARVIK_KIND_IE;

// Index into the per-kind arrays: 0 for Explorer, 1 for every other value.
constexpr int kindIndex(LPARAM kind) {
    return kind == kKindExplorer ? 0 : 1;
}

// Walk parameter of the logo, menu, header and drop-down walks: 0x10000 keeps a
// hide from reading as a menu query; the low 16 bits carry the show flag.
constexpr LPARAM kWalkTag = 0x10000;
constexpr LPARAM kMenuQuery = 0;
constexpr LPARAM walkParam(int show) {
    return kWalkTag + (show & 0xFFFF);
}
constexpr bool walkShows(LPARAM param) {
    return (param & 0xFFFF) != 0;
}

// Icon walk parameter: frame kind in the high word, operation in the low word.
constexpr LPARAM kIconApply = 0x1;
constexpr LPARAM kIconRestore = 0x2;
constexpr LPARAM kIconExplorer = 0x10000;
constexpr LPARAM kIconIE = 0x20000;
constexpr LPARAM iconWalkParam(LPARAM kind, LPARAM operation) {
    return ((kind & 0xFFFF) << 16) | (operation & 0xFFFF);
}

// Message values of the private frame messages (wParam).
constexpr WPARAM kApply = 1;
constexpr WPARAM kRestore = 2;
constexpr WPARAM kRehide = 3;

// Sent by uninstallHook_EXPIE to every frame: stop the library's timers on it.
constexpr UINT MSG_STOP_TIMERS = 0x0DE3;

// Timer periods.
constexpr UINT kMenuAutohideMs = 2000;
constexpr UINT kReapplyMs = 1;

// A frame that does not answer a broadcast message within this time is given up.
constexpr UINT kFrameAnswerTimeoutMs = 5000;
