// Running tarvikctl for the demo.
#include "controller.h"

#include <cstdio>
#include "pump.h"
#include "session.h"

namespace demo {

ControllerRun::~ControllerRun() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

std::string ControllerRun::start(const std::string& commandLine, const std::string& logPath) {
    logPath_ = logPath;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return "cannot create " + logPath;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = log;
    startup.hStdError = log;
    std::string line = commandLine;
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info_);
    const DWORD error = GetLastError();
    CloseHandle(log);
    if (!started) return "cannot start " + commandLine + " (error " + std::to_string(error) + ")";
    return "";
}

std::string ControllerRun::log() const {
    std::string text;
    FILE* file = std::fopen(logPath_.c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

bool ControllerRun::waitForText(const std::string& text, DWORD timeoutMs) {
    bool ended = false;
    const bool found = tarvik::test::pumpUntil(
        [&] {
            if (log().find(text) != std::string::npos) return true;
            ended = WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
            return ended;
        },
        timeoutMs);
    return found && log().find(text) != std::string::npos;
}

std::string ControllerRun::requestStop(DWORD findTimeoutMs) {
    HWND notify = nullptr;
    tarvik::test::pumpUntil(
        [&] {
            HWND window = nullptr;
            while ((window = FindWindowExA(HWND_MESSAGE, window, tarvikctl::kNotifyClass,
                                           nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == info_.dwProcessId) {
                    notify = window;
                    return true;
                }
            }
            return false;
        },
        findTimeoutMs);
    if (notify == nullptr) return "tarvikctl's notify window was not found";
    if (!PostMessageA(notify, WM_CLOSE, 0, 0)) return "WM_CLOSE could not be posted";
    return "";
}

bool ControllerRun::waitForExit(DWORD timeoutMs) {
    return tarvik::test::pumpUntilSignalled(info_.hProcess, timeoutMs);
}

DWORD ControllerRun::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string result = "\"";
    for (char c : argument) {
        if (c == '"') result += '\\';
        result += c;
    }
    return result + "\"";
}

} // namespace demo
