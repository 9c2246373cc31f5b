// Runs a stand-in frame's own toolbar context menu on this thread: a real
// TrackPopupMenu owned by the frame's "WorkerW", driven by keys already waiting
// in the queue, ended by a timer if they do not end it.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace menu_test {

struct ContextMenuRun {
    // Each popup as its owner's window procedure received it in WM_INITMENUPOPUP,
    // that is after the call-window hooks ran: the context menu first, then submenus.
    std::vector<std::string> opened;
    // WM_COMMAND ids the "WorkerW" received once the menu had closed.
    std::vector<WPARAM> commands;
    bool endedByTimer = false;
};

// Keys the menu loop reads from the queue.
struct MenuKey {
    UINT message; // WM_KEYDOWN or WM_CHAR
    WPARAM code;
};
std::vector<MenuKey> keysUp(int times);
MenuKey keyRight();
MenuKey keyDown();
MenuKey keyEnter();
MenuKey keyEscape();

// Opens the menu at `at` (screen) with WM_CONTEXTMENU sent to `worker`; a timer
// calls EndMenu after `deadlineMs`.
ContextMenuRun runContextMenu(HWND worker, POINT at, const std::vector<MenuKey>& keys,
                              UINT deadlineMs = 3000);

} // namespace menu_test
