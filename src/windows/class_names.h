// Window class names the library recognises, and the exact comparison it uses.
#pragma once

#include <windows.h>

constexpr const char kExplorerClass[] = "CabinetWClass";
constexpr const char kExplorerTreeClass[] = "ExploreWClass";
constexpr const char kIEFrameClass[] = "IEFrame";
constexpr const char kCommandBarClass[] = "CommandBarClass";
constexpr const char kToolbarClass[] = "ToolbarWindow32";
constexpr const char kRebarClass[] = "ReBarWindow32";
constexpr const char kWorkerClass[] = "WorkerW";
constexpr const char kTaskbarClass[] = "Shell_TrayWnd";

// Control id of a frame's main toolbar.
constexpr int kMainToolbarId = 0xA000;

// Whole-string, case-sensitive, byte-for-byte (equal multibyte strings are equal bytes).
inline bool sameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Reads the class name into buffer (count chars, always terminated; empty on failure).
inline const char* readClassName(HWND window, char* buffer, int count) {
    buffer[0] = '\0';
    if (GetClassNameA(window, buffer, count) <= 0) buffer[0] = '\0';
    buffer[count - 1] = '\0';
    return buffer;
}

inline bool hasClass(HWND window, const char* name, char* buffer, int count) {
    return sameName(readClassName(window, buffer, count), name);
}
