// Starting and stopping the 32-bit companion, and the companion's view of its parent.
#include "companion.h"
#include "instance.h"
#include "text.h"
#include "waiting.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tarvikctl {

namespace {

constexpr const char* kLeftAlone = "32-bit frames are left as they are";

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

ProcessCompanion::ProcessCompanion(std::string program, std::string settingsFile, HWND parentWindow,
                                   bool quiet, bool console, CompanionReport report)
    : program_(std::move(program)), settingsFile_(absolutePath(settingsFile)),
      parentWindow_(parentWindow), quiet_(quiet), console_(console), report_(std::move(report)) {}

void ProcessCompanion::apply(const Settings&) {
    if (process_ != nullptr) {
        SetEvent(reloadEvent_);
        return report_(cat("32-bit companion told to read the settings again"), false);
    }
    end();
    if (GetFileAttributesA(program_.c_str()) == INVALID_FILE_ATTRIBUTES)
        return report_(cat("no 32-bit companion: ", program_, " not found; ", kLeftAlone), true);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    stopEvent_ = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    reloadEvent_ = CreateEventA(&inheritable, FALSE, FALSE, nullptr);
    if (stopEvent_ == nullptr || reloadEvent_ == nullptr) {
        const DWORD error = GetLastError();
        end();
        return report_(cat("no 32-bit companion: no event (error ", num(error), "); ", kLeftAlone),
                       true);
    }
    std::string line = cat("\"", program_, "\" ", kCompanionOption, " ",
                           hex(reinterpret_cast<std::uintptr_t>(parentWindow_)), " ",
                           hex(reinterpret_cast<std::uintptr_t>(stopEvent_)), " ",
                           hex(reinterpret_cast<std::uintptr_t>(reloadEvent_)),
                           quiet_ ? " --quiet" : "", " \"", settingsFile_, "\"");
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Inherits both events (and this console's handles, so its errors show here).
    // Starting a process can take long (a 32-bit one under emulation: half a second).
    BOOL created = FALSE;
    DWORD error = 0;
    starting_ = true;
    runTakingSentMessages([&] {
        created =
            CreateProcessA(program_.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                           console_ ? 0 : CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
        error = GetLastError();
    });
    starting_ = false;
    if (!created) {
        endAsked_ = false;
        end();
        return report_(cat("no 32-bit companion: cannot start ", program_, " (error ", num(error),
                           "); ", kLeftAlone),
                       true);
    }
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    processId_ = started.dwProcessId;
    report_(cat("32-bit companion started (process ", num(processId_), ")"), false);
    // Asked to end while it was being started.
    if (std::exchange(endAsked_, false)) end();
}

void ProcessCompanion::ended() {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    report_(cat("the 32-bit companion (process ", num(processId_), ") ended with exit code ",
                num(code), "; ", kLeftAlone),
            true);
    CloseHandle(process_);
    process_ = nullptr;
}

void ProcessCompanion::end() {
    if (starting_) {
        endAsked_ = true;
        return;
    }
    // Taken out first: the wait below hands sent messages over, and one of them may
    // end the session (and so this companion) again from inside it.
    HANDLE process = std::exchange(process_, nullptr);
    HANDLE stopEvent = std::exchange(stopEvent_, nullptr);
    HANDLE reloadEvent = std::exchange(reloadEvent_, nullptr);
    if (process != nullptr) {
        SetEvent(stopEvent);
        // The companion's frames may call into this thread (hooks of the other
        // bitness) while it restores them: a plain wait would hold them, and it.
        if (waitTakingSentMessages(&process, 1, kStopWaitMs) != WAIT_OBJECT_0)
            report_(cat("the 32-bit companion (process ", num(processId_),
                        ") did not end in time; end it with 'taskkill /f /pid ", num(processId_),
                        "'"),
                    true);
        CloseHandle(process);
    }
    for (HANDLE event : {stopEvent, reloadEvent})
        if (event != nullptr) CloseHandle(event);
}

std::string openParent(const std::string& window, const std::string& stopEvent,
                       const std::string& reloadEvent, Parent& parent) {
    std::uintptr_t windowValue = 0, stopValue = 0, reloadValue = 0;
    if (!parseHex(window, windowValue) || !parseHex(stopEvent, stopValue) ||
        !parseHex(reloadEvent, reloadValue))
        return cat(kCompanionOption, " takes a window and two event handles in hex");
    parent.window = reinterpret_cast<HWND>(windowValue);
    DWORD processId = 0;
    if (!IsWindow(parent.window) || GetWindowThreadProcessId(parent.window, &processId) == 0)
        return cat(kCompanionOption, ": no parent window ", window);
    parent.process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (parent.process == nullptr)
        return cat("cannot watch the parent process ", num(processId), " (error ",
                   num(GetLastError()), ")");
    // Inherited handles; a wait on anything else fails at once and ends the session.
    parent.stopEvent = reinterpret_cast<HANDLE>(stopValue);
    parent.reloadEvent = reinterpret_cast<HANDLE>(reloadValue);
    return "";
}

} // namespace tarvikctl
