// The 32-bit companion of a 64-bit controller. A hook DLL reaches only processes
// of its own bitness, so on a 64-bit desktop the 64-bit controller starts the
// 32-bit tarvikctl beside it, with the same settings file, for the 32-bit frames.
// The companion gives its library the parent's notify window, so commands chosen
// in 32-bit frames reach the parent directly. It ends when the parent sets the
// stop event it inherited, or when the parent's process ends.
#pragma once

#include <windows.h>
#include <string>

namespace tarvikctl {

// Where the 64-bit archive keeps the 32-bit programs, beside the 64-bit ones.
constexpr const char* kCompanionPath = "x86\\tarvikctl.exe";
// "--companion <parent notify window> <stop event>", both in hex.
constexpr const char* kCompanionOption = "--companion";

struct Companion {
    HANDLE process = nullptr;
    DWORD processId = 0;
    HANDLE stopEvent = nullptr; // set by the parent to end the companion
};

// Starts the companion at `program` for `settingsFile` (made absolute here). With
// `console` it shares this console (Ctrl+C reaches it too); without, it gets none.
// "" once started, else why not; `companion` is left empty then.
std::string startCompanion(const std::string& program, const std::string& settingsFile,
                           HWND parentWindow, bool quiet, bool console, Companion& companion);

// Has a running companion undo everything and end, waiting at most `timeoutMs`.
// "" once it ended, else what went wrong. Leaves `companion` empty.
std::string stopCompanion(Companion& companion, DWORD timeoutMs);

// The exit code of a companion whose process has ended.
DWORD companionExitCode(const Companion& companion);

// The companion's side: the parent as named on its command line.
struct Parent {
    HWND window = nullptr;    // the notify window that takes MSG_POPUP_COMMAND
    HANDLE process = nullptr; // signalled when the parent ends
    HANDLE stopEvent = nullptr;
};

// Reads "<window> <event>" and opens the parent's process. "" or what is wrong.
std::string openParent(const std::string& window, const std::string& event, Parent& parent);

} // namespace tarvikctl
