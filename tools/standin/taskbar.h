// The taskbar stand-in: a top-level "Shell_TrayWnd" window along the bottom of the
// screen. The hook library sends it one message, in the process that owns it.
#pragma once

#include <windows.h>

namespace standin {

constexpr char kTaskbarClass[] = "Shell_TrayWnd";

// Creates the taskbar on the calling thread (which must pump messages).
HWND createTaskbar(bool visible = true);
bool destroyTaskbar(HWND taskbar);

} // namespace standin
