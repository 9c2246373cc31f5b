// Host requests of the demo: a picture of a window as its
// process painted it, and icons loaded from .ico files inside the host (Wine
// keeps icon handles per process, so a frame there can only use icons made there).
#pragma once

#include <windows.h>
#include <cstdint>
#include "standin/protocol.h"

namespace standin::wire {

// CaptureWindow: CaptureBody -> CaptureReply. On the window's thread: repaints the
// window and its children at once, then copies its client area into `path` as kCaptureMagic, width,
// height (uint32 each) and rows of 0x00RRGGBB from the top.
constexpr std::uint32_t kCaptureMagic = 0x50414354; // "TCAP"
struct CaptureBody {
    HWND window;
    char path[MAX_PATH];
};
struct CaptureReply {
    int width, height;
    RECT screen; // the client area on the screen
};

// LoadIconFiles: IconFilesBody -> IconFilesReply. For slot n, <folder>\NN.ico and
// <folder>\hot-NN.ico at both sizes; a missing file leaves the slot's entries null.
// The host destroys the icons when it ends.
struct IconFilesBody {
    char folder[MAX_PATH];
    int largeSize;
    int smallSize;
};
constexpr int kIconFileSlots = 64;
struct IconFilesReply {
    int slotsLoaded; // slots with at least one icon
    HICON largeNormal[kIconFileSlots];
    HICON largeHot[kIconFileSlots];
    HICON smallNormal[kIconFileSlots];
    HICON smallHot[kIconFileSlots];
};

static_assert(kAllPlain<CaptureBody, CaptureReply, IconFilesBody, IconFilesReply>);

} // namespace standin::wire
