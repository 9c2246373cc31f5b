// The 32-bit companion of a 64-bit controller. A hook DLL reaches only processes
// of its own bitness, so on a 64-bit desktop the 64-bit controller starts the
// 32-bit tarvikctl beside it, with the same settings file, for the 32-bit frames.
// The companion gives its library the parent's notify window, so commands chosen
// in 32-bit frames reach the parent directly. It reads the settings file again and
// applies it when the parent sets the reload event it inherited, and ends when the
// parent sets the stop event, or when the parent's process ends.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

#include "session.h"

namespace tarvikctl {

// Where the 64-bit archive keeps the 32-bit programs, beside the 64-bit ones.
constexpr const char* kCompanionPath = "x86\\tarvikctl.exe";
// "--companion <parent notify window> <stop event> <reload event>", all in hex.
constexpr const char* kCompanionOption = "--companion";

// What the parent says of its companion: a line for progress (warning false) or a
// problem the user should see (warning true).
using CompanionReport = std::function<void(const std::string& line, bool warning)>;

// The companion process as the session drives it: started once the parent has
// applied, told to read the settings file again on each later apply (its frames go
// from the old settings to the new without the native look between), ended before
// the parent restores. A companion that is missing, cannot start or ends early
// is reported, and the parent goes on without it.
class ProcessCompanion : public Companion {
  public:
    // `program`: the 32-bit tarvikctl. With `console` it shares this console (Ctrl+C
    // reaches it too); without, it gets none.
    ProcessCompanion(std::string program, std::string settingsFile, HWND parentWindow, bool quiet,
                     bool console, CompanionReport report);
    ~ProcessCompanion() override { end(); }

    void apply(const Settings& settings) override;
    void restore() override { end(); }
    void stop() override { end(); }

    // The running companion's process (signalled once it ends), or null.
    HANDLE process() const { return process_; }
    // Reports an end that nobody asked for; call when process() is signalled.
    void ended();

  private:
    void end();

    std::string program_;
    std::string settingsFile_;
    HWND parentWindow_;
    bool quiet_;
    bool console_;
    CompanionReport report_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HANDLE stopEvent_ = nullptr;   // inherited by the companion; set to end it
    HANDLE reloadEvent_ = nullptr; // inherited; set to have it read the settings again
    bool starting_ = false;        // in CreateProcess, taking sent messages meanwhile
    bool endAsked_ = false;        // end() called meanwhile
};

// The 32-bit companion beside a 64-bit program in `folder`.
inline std::string companionProgram(const std::string& folder) {
    return folder + kCompanionPath;
}

// The companion's side: the parent as named on its command line.
struct Parent {
    HWND window = nullptr;    // the notify window that takes MSG_POPUP_COMMAND
    HANDLE process = nullptr; // signalled when the parent ends
    HANDLE stopEvent = nullptr;
    HANDLE reloadEvent = nullptr;
};

// Reads "<window> <stop event> <reload event>" and opens the parent's process.
// "" or what is wrong.
std::string openParent(const std::string& window, const std::string& stopEvent,
                       const std::string& reloadEvent, Parent& parent);

} // namespace tarvikctl
