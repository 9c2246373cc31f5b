// Plain windows that the context-menu conditions must tell apart from a frame's:
// a top-level window, a "WorkerW" outside any frame, a near-miss class name.
#pragma once

#include <windows.h>

namespace menu_test {

// A visible window of `className`, registered here with DefWindowProc; a "WorkerW"
// comes from the stand-in's class instead, so open a frame first.
HWND plainWindow(HWND parent, const char* className);

} // namespace menu_test
