// Starting a child program with pipes on its output and waiting for it.
#include "child_process.h"
#include "process_start.h"

#include <chrono>

namespace tarvik::test {

namespace {

bool makePipe(HANDLE& readEnd, HANDLE& writeEnd) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return false;
    // Only the child's end is inherited, or the pipe never reports its end.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

} // namespace

std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string result = "\"";
    for (char c : argument) {
        if (c == '"') result += '\\';
        result += c;
    }
    return result + "\"";
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        stopReaders();
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

// Polls rather than blocks: a console host started for the child may hold the
// pipe's write end after the child is gone, and a blocked read would never end.
void ChildProcess::readInto(HANDLE pipe, std::string& target) {
    // Output can show up in the pipe a little after its writer has ended: once told to
    // stop, keep looking for this many empty polls.
    constexpr int kPollsAfterStop = 40;
    char buffer[4096];
    int emptyPollsAfterStop = 0;
    for (;;) {
        if (&target == &out_ && outHeld_) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_) break;
            }
            Sleep(5);
            continue;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            drain(pipe, target); // all writers gone; what they wrote may still be buffered
            break;
        }
        if (available == 0) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (stop_ && ++emptyPollsAfterStop > kPollsAfterStop) break;
            }
            Sleep(5);
            continue;
        }
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got,
                      nullptr) ||
            got == 0)
            break;
        {
            std::lock_guard<std::mutex> guard(lock_);
            target.append(buffer, got);
        }
        arrived_.notify_all();
    }
    CloseHandle(pipe);
}

void ChildProcess::drain(HANDLE pipe, std::string& target) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got != 0) {
        std::lock_guard<std::mutex> guard(lock_);
        target.append(buffer, got);
    }
}

void ChildProcess::stopReaders() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    if (outReader_.joinable()) outReader_.join();
    if (errReader_.joinable()) errReader_.join();
}

bool ChildProcess::start(const std::string& commandLine, DWORD flags, std::string* error) {
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!makePipe(outRead, outWrite) || !makePipe(errRead, errWrite)) {
        if (error != nullptr) *error = "CreatePipe failed";
        return false;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    tarvik::test::ProcessStart startWith;
    startWith.commandLine = commandLine;
    startWith.inheritHandles = TRUE;
    startWith.flags = flags;
    startWith.startup = &startup;
    std::string failed;
    const bool started = tarvik::test::startProcess(startWith, info_, failed);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        info_ = {};
        if (error != nullptr) *error = failed;
        return false;
    }
    outReader_ = std::thread([this, outRead] { readInto(outRead, out_); });
    errReader_ = std::thread([this, errRead] { readInto(errRead, err_); });
    return true;
}

bool ChildProcess::waitForExit(DWORD timeoutMs) {
    if (info_.hProcess == nullptr) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    stopReaders(); // all it wrote is in the pipes by now
    return true;
}

bool ChildProcess::waitForOutput(const std::string& text, DWORD timeoutMs, bool onStderr) {
    std::unique_lock<std::mutex> guard(lock_);
    const std::string& stream = onStderr ? err_ : out_;
    return arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [&] { return stream.find(text) != std::string::npos; });
}

DWORD ChildProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess != nullptr) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::string ChildProcess::out() const {
    std::lock_guard<std::mutex> guard(lock_);
    return out_;
}

std::string ChildProcess::err() const {
    std::lock_guard<std::mutex> guard(lock_);
    return err_;
}

ProcessRun runProcess(const std::string& commandLine, DWORD timeoutMs) {
    ProcessRun run;
    ChildProcess child;
    run.started = child.start(commandLine, 0, &run.err);
    if (!run.started) return run;
    run.ended = child.waitForExit(timeoutMs);
    run.exitCode = child.exitCode();
    run.out = child.out();
    run.err = child.err();
    return run;
}

} // namespace tarvik::test
