// A program started by a test with its stdout and stderr captured through
// pipes (read on threads, so a full pipe never stalls it) and bounded waits.
#pragma once

#include <windows.h>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tarvik::test {

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess(); // ends a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `commandLine` (program path first, quoted as needed). `flags` go to
    // CreateProcess. False with `error` set when it could not start.
    bool start(const std::string& commandLine, DWORD flags = 0, std::string* error = nullptr);

    // True once the child has ended within `timeoutMs`; its output is then complete.
    bool waitForExit(DWORD timeoutMs);
    // True once `text` appears in stdout (or stderr) within `timeoutMs`.
    bool waitForOutput(const std::string& text, DWORD timeoutMs, bool onStderr = false);

    // While held, nothing is read from the child's stdout: its writes fill the pipe and
    // then wait, as with a reader that does not read. Also before start().
    void holdOutput(bool hold) { outHeld_ = hold; }

    DWORD exitCode() const;
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    std::string out() const;
    std::string err() const;

  private:
    void readInto(HANDLE pipe, std::string& target);
    // Reads what is left in a pipe whose writers are gone.
    void drain(HANDLE pipe, std::string& target);
    void stopReaders();

    PROCESS_INFORMATION info_{};
    std::thread outReader_;
    std::thread errReader_;
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    bool stop_ = false; // the child has ended: read what is left, then stop
    std::atomic<bool> outHeld_{false};
    std::string out_;
    std::string err_;
};

struct ProcessRun {
    bool started = false;
    bool ended = false;
    DWORD exitCode = 0;
    std::string out;
    std::string err;
};

// Runs a command to its end (at most `timeoutMs`; then it is ended and `ended` is false).
ProcessRun runProcess(const std::string& commandLine, DWORD timeoutMs = 10000);

// The command-line form of one argument.
std::string quoted(const std::string& argument);

// True for exit codes that are really exception codes (0xC0000005 and the like).
inline bool isExceptionCode(DWORD code) {
    return code >= 0xC0000000u;
}

} // namespace tarvik::test
