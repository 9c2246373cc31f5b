// The stand-in frames of both bitnesses on the mixed desktop, found by process,
// and the band state the tests read from their real controls.
#pragma once

#include <windows.h>
#include <cstdlib>
#include <string>

namespace mixedtest {

// The i686 build tree as a Windows path with a trailing backslash, or "".
inline std::string i686Tree() {
    const char* tree = std::getenv("TARVIK_I686_TREE");
    return tree != nullptr ? std::string("Z:") + tree + "\\" : std::string();
}

inline std::string q(const std::string& path) {
    return "\"" + path + "\"";
}

struct Frames {
    HWND explorer = nullptr;
    HWND browser = nullptr;
};

inline Frames framesOf(DWORD process) {
    struct Search {
        DWORD process;
        Frames frames;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[32] = {};
            GetClassNameA(window, name, sizeof name);
            if (owner != s->process) return TRUE;
            if (lstrcmpA(name, "CabinetWClass") == 0) s->frames.explorer = window;
            if (lstrcmpA(name, "IEFrame") == 0) s->frames.browser = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.frames;
}

// The frame's "WorkerW" that holds the rebar; it takes the context menu's commands.
inline HWND workerOf(HWND frame) {
    for (HWND worker = FindWindowExA(frame, nullptr, "WorkerW", nullptr); worker != nullptr;
         worker = FindWindowExA(frame, worker, "WorkerW", nullptr))
        if (FindWindowExA(worker, nullptr, "ReBarWindow32", nullptr) != nullptr) return worker;
    return nullptr;
}

inline HWND rebarOf(HWND frame) {
    return FindWindowExA(workerOf(frame), nullptr, "ReBarWindow32", nullptr);
}

// A hidden band hides its child: the logo band's "WorkerW", the menu band's toolbar.
inline bool logoShown(HWND frame) {
    return IsWindowVisible(FindWindowExA(rebarOf(frame), nullptr, "WorkerW", nullptr)) != FALSE;
}

inline bool menuShown(HWND frame) {
    for (HWND bar = FindWindowExA(rebarOf(frame), nullptr, "ToolbarWindow32", nullptr);
         bar != nullptr; bar = FindWindowExA(rebarOf(frame), bar, "ToolbarWindow32", nullptr))
        if (GetWindowLongPtrA(bar, GWLP_ID) == 0) return IsWindowVisible(bar) != FALSE;
    return false;
}

// Both shells' frames, 64-bit first.
struct BothShells {
    Frames frames64, frames32;

    bool all(bool (*shown)(HWND), bool expected) const {
        for (HWND frame :
             {frames64.explorer, frames64.browser, frames32.explorer, frames32.browser})
            if (shown(frame) != expected) return false;
        return true;
    }

    // Logo and menu band of each frame, for a failure's message.
    std::string states() const {
        std::string text;
        for (HWND frame :
             {frames64.explorer, frames64.browser, frames32.explorer, frames32.browser})
            text += std::string(" logo ") + (logoShown(frame) ? "1" : "0") + " menu " +
                    (menuShown(frame) ? "1" : "0") + ";";
        return text;
    }
};

} // namespace mixedtest
