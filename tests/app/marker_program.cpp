// Started by tarvik.exe for a menu entry in the app tests: leaves a marker file
// where TARVIK_APP_MARKER says. Built as a window program (TARVIK_SLOW_PROGRAM), it
// then takes no message until the event TARVIK_APP_HOLD names is set: a program that
// is slow to become ready, for which ShellExecute waits (WaitForInputIdle).
#include <windows.h>
#include <cstdio>
#include <cstdlib>

namespace {

int run() {
    const char* path = std::getenv("TARVIK_APP_MARKER");
    if (path == nullptr) return 1;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return 2;
    std::fputs("started\n", file);
    std::fclose(file);
#ifdef TARVIK_SLOW_PROGRAM
    const char* hold = std::getenv("TARVIK_APP_HOLD");
    HANDLE event = hold != nullptr ? OpenEventA(SYNCHRONIZE, FALSE, hold) : nullptr;
    if (event == nullptr) return 3;
    WaitForSingleObject(event, 120000);
    CloseHandle(event);
#endif
    return 0;
}

} // namespace

#ifdef TARVIK_SLOW_PROGRAM
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return run();
}
#else
int main() {
    return run();
}
#endif
