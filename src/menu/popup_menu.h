// The toolbar context menu's extension: the controller's submenu and the
// menu-bar toggle item, and the routing of their commands.
#pragma once

#include <windows.h>

// WM_INITMENUPOPUP: appends the block to a toolbar context menu of a frame.
void extendToolbarMenu(const CWPSTRUCT& sent);
// WM_COMMAND posted to a frame's "WorkerW": toggles the band or tells the controller.
void routeMenuCommand(const MSG& posted);
