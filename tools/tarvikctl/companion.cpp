// Starting and stopping the 32-bit companion, and the companion's view of its parent.
#include "companion.h"
#include "text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarvikctl {

namespace {

std::string hex(std::uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(value));
    return text;
}

bool parseHex(const std::string& text, std::uintptr_t& value) {
    if (text.empty() || text.size() > 18) return false;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 16);
    if (end == nullptr || *end != '\0') return false;
    value = static_cast<std::uintptr_t>(parsed);
    return true;
}

std::string absolutePath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

} // namespace

std::string startCompanion(const std::string& program, const std::string& settingsFile,
                           HWND parentWindow, bool quiet, bool console, Companion& companion) {
    companion = Companion{};
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        return cat(program, " not found");
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE stopEvent = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    if (stopEvent == nullptr)
        return cat("cannot create an event (error ", num(GetLastError()), ")");
    std::string line = cat("\"", program, "\" ", kCompanionOption, " ",
                           hex(reinterpret_cast<std::uintptr_t>(parentWindow)), " ",
                           hex(reinterpret_cast<std::uintptr_t>(stopEvent)),
                           quiet ? " --quiet" : "", " \"", absolutePath(settingsFile), "\"");
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Inherits the stop event (and this console's handles, so its errors show here).
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        console ? 0 : CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        const DWORD error = GetLastError();
        CloseHandle(stopEvent);
        return cat("cannot start ", program, " (error ", num(error), ")");
    }
    CloseHandle(started.hThread);
    companion.process = started.hProcess;
    companion.processId = started.dwProcessId;
    companion.stopEvent = stopEvent;
    return "";
}

std::string stopCompanion(Companion& companion, DWORD timeoutMs) {
    std::string problem;
    if (companion.process != nullptr) {
        SetEvent(companion.stopEvent);
        if (WaitForSingleObject(companion.process, timeoutMs) != WAIT_OBJECT_0)
            problem = cat("the 32-bit companion (process ", num(companion.processId),
                          ") did not end in time; end it with 'taskkill /f /pid ",
                          num(companion.processId), "'");
        CloseHandle(companion.process);
    }
    if (companion.stopEvent != nullptr) CloseHandle(companion.stopEvent);
    companion = Companion{};
    return problem;
}

DWORD companionExitCode(const Companion& companion) {
    DWORD code = 0;
    if (companion.process == nullptr || !GetExitCodeProcess(companion.process, &code)) return 0;
    return code;
}

std::string openParent(const std::string& window, const std::string& event, Parent& parent) {
    std::uintptr_t windowValue = 0, eventValue = 0;
    if (!parseHex(window, windowValue) || !parseHex(event, eventValue))
        return cat(kCompanionOption, " takes a window and an event handle in hex");
    parent.window = reinterpret_cast<HWND>(windowValue);
    DWORD processId = 0;
    if (!IsWindow(parent.window) || GetWindowThreadProcessId(parent.window, &processId) == 0)
        return cat(kCompanionOption, ": no parent window ", window);
    parent.process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (parent.process == nullptr)
        return cat("cannot watch the parent process ", num(processId), " (error ",
                   num(GetLastError()), ")");
    // An inherited handle; a wait on anything else fails at once and ends the session.
    parent.stopEvent = reinterpret_cast<HANDLE>(eventValue);
    return "";
}

} // namespace tarvikctl
