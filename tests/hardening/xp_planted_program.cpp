// A controller that Windows XP cannot load: built as the shipped programs are (XP
// headers, subsystem version 5.01 / 5.02), yet importing GetTickCount64 (Windows Vista),
// as a program does that takes it from a header of its own or a runtime that uses it.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

int main() {
    return GetTickCount64() == 0 ? 1 : 0;
}
