// The taskbar stand-in: a top-level "Shell_TrayWnd" window along the bottom of the
// screen. The hook library sends it one message, in the process that owns it.
#pragma once

#include <windows.h>

namespace standin {

constexpr char kTaskbarClass[] = "Shell_TrayWnd";

// Creates the taskbar on the calling thread (which must pump messages). `announce`
// models a shell that (re)starts: the registered "TaskbarCreated" goes to every top-level
// window, as Explorer broadcasts it; Wine sends none of its own.
HWND createTaskbar(bool visible = true, bool announce = false);
bool destroyTaskbar(HWND taskbar);

} // namespace standin
