#include "process_start.h"

#include <cstdio>

namespace tarvik::test {

namespace {

// Long enough for what troubled the first try to pass, short beside a test.
constexpr DWORD kRetryPauseMs = 200;

DWORD tryStart(const ProcessStart& start, PROCESS_INFORMATION& info) {
    STARTUPINFOA plain{};
    plain.cb = sizeof plain;
    std::string line = start.commandLine;
    info = {};
    if (CreateProcessA(start.application, line.data(), nullptr, nullptr, start.inheritHandles,
                       start.flags, nullptr, nullptr,
                       start.startup != nullptr ? start.startup : &plain, &info))
        return ERROR_SUCCESS;
    const DWORD code = GetLastError();
    return code == ERROR_SUCCESS ? ERROR_GEN_FAILURE : code;
}

std::string program(const ProcessStart& start) {
    return start.application != nullptr ? start.application : start.commandLine;
}

} // namespace

bool startProcess(const ProcessStart& start, PROCESS_INFORMATION& info, std::string& error,
                  const RetryReport& report) {
    const DWORD first = tryStart(start, info);
    if (first == ERROR_SUCCESS) return true;
    const std::string said = "starting " + program(start) + " failed (error " +
                             std::to_string(first) + "); trying once more";
    if (report)
        report(said);
    else
        std::fprintf(stderr, "[ retry ] %s\n", said.c_str());
    Sleep(kRetryPauseMs);
    const DWORD second = tryStart(start, info);
    if (second == ERROR_SUCCESS) return true;
    error = "CreateProcess failed twice for " + program(start) + " (error " +
            std::to_string(first) + ", then " + std::to_string(second) + ")";
    return false;
}

} // namespace tarvik::test
