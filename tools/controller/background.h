// Work that can block for as long as the world outside likes: a file on a network share
// that has gone away, a ShellExecute waiting for a slow program. It runs on a thread of
// its own, so that neither the hooks' thread nor a window waits for it, and whoever
// started it may stop waiting: abandoned work ends on its own.
#pragma once

#include <windows.h>
#include <functional>

namespace tarvikctl {

// Runs `work` on a new thread (here, if none can be made). Returns an event, signalled
// once `work` has returned, that the caller closes; then `message` is posted to `window`,
// if given, with `tag` as lParam. What `work` fills in must be held by what it captured
// (a shared_ptr), since the caller may go meanwhile. Null if no event could be made;
// `work` does not run then.
HANDLE runInBackground(std::function<void()> work, HWND window = nullptr, UINT message = 0,
                       LPARAM tag = 0);

} // namespace tarvikctl
