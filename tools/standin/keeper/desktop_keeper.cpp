// Holds a test session's desktop open. Wine closes a desktop about a second after the
// last process on it ends and starts it again for the next one, which costs each short
// test program that start, and far more when the machine is loaded. This process stays
// on the desktop, with no window, until the session's wineserver ends it.
//   desktop_keeper <ready file>: the file is made once the desktop is up
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // The desktop's process is started here, with this process's own standard handles:
    // started for a test program, it would hold that program's output pipe open.
    GetDesktopWindow();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    if (commandLine != nullptr && *commandLine != '\0') {
        HANDLE ready = CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
