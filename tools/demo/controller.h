// tarvikctl as the demo runs it: a process whose stdout and stderr go to a log
// file, waits on what it writes, and the WM_CLOSE to its notify window that
// makes it restore everything and leave.
#pragma once

#include <windows.h>
#include <string>

namespace demo {

class ControllerRun {
  public:
    ControllerRun() = default;
    ~ControllerRun(); // ends a controller still running
    ControllerRun(const ControllerRun&) = delete;
    ControllerRun& operator=(const ControllerRun&) = delete;

    // Starts `commandLine` with its output appended to `logPath`. "" or the problem.
    std::string start(const std::string& commandLine, const std::string& logPath);
    // True once `text` is in the log within `timeoutMs`; false at once if the process ended
    // without writing it. Messages of this thread are dispatched meanwhile.
    bool waitForText(const std::string& text, DWORD timeoutMs);
    // WM_CLOSE to the notify window (message-only, class TarvikCtlNotify) of this process.
    std::string requestStop(DWORD findTimeoutMs);
    bool waitForExit(DWORD timeoutMs);
    DWORD exitCode() const;
    DWORD processId() const { return info_.dwProcessId; }
    std::string log() const;

  private:
    PROCESS_INFORMATION info_{};
    std::string logPath_;
};

std::string quoted(const std::string& argument);

} // namespace demo
