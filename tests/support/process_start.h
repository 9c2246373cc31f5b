// CreateProcessA for the tests and their hosts, tried a second time when the first try
// fails: Wine's process start fails now and then for reasons of its own (error 1359, an
// internal error, with the program never run), and one such failure must not fail a
// test. The first failure is said on stderr; a second fails as a single try would.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

namespace tarvik::test {

struct ProcessStart {
    const char* application = nullptr; // CreateProcessA's first argument
    std::string commandLine;
    BOOL inheritHandles = FALSE;
    DWORD flags = 0;
    STARTUPINFOA* startup = nullptr; // null: a plain one
};

// Where a failed first try is said (stderr unless given); tests count the retries here.
using RetryReport = std::function<void(const std::string&)>;

// Starts the program, once more after a failure. On failure `error` says what was run
// and the error of each try.
bool startProcess(const ProcessStart& start, PROCESS_INFORMATION& info, std::string& error,
                  const RetryReport& report = nullptr);

} // namespace tarvik::test
