// Finding, and stopping, the tarvikctl that already runs on this desktop.
#include "instance.h"
#include "session.h"
#include "text.h"
#include "windows_version.h"

#include <psapi.h>
#include <cstring>

namespace tarvikctl {

namespace {

constexpr DWORD kWindowPollMs = 50;
// Vista's right to ask any process, an elevated one too, for its image name. Windows XP
// and Server 2003 do not support it (Microsoft, "Process Security and Access Rights")
// and grant PROCESS_QUERY_INFORMATION instead; the XP headers leave it out.
constexpr DWORD kQueryLimitedInformation = 0x1000;

// Hooks reach one desktop, the mutex's namespace is the session: the name carries
// the window station and the desktop.
std::string lockName() {
    std::string name = "Local\\TarvikCtl";
    for (HANDLE object : {static_cast<HANDLE>(GetProcessWindowStation()),
                          static_cast<HANDLE>(GetThreadDesktop(GetCurrentThreadId()))}) {
        char part[256];
        DWORD needed = 0;
        if (object != nullptr &&
            GetUserObjectInformationA(object, UOI_NAME, part, sizeof part, &needed))
            name.append("-").append(part);
    }
    return name;
}

// Both front ends make the same notify window; the program's file name tells them apart.
// GetProcessImageFileNameA (psapi, Windows XP) rather than QueryFullProcessImageNameA
// (Vista): it takes either query right, and the device path it gives
// ("\Device\HarddiskVolume1\...") ends in the same file name.
std::string controllerName(DWORD processId) {
    const DWORD right =
        windowsVistaOrLater() ? kQueryLimitedInformation : PROCESS_QUERY_INFORMATION;
    HANDLE process = OpenProcess(right, FALSE, processId);
    char path[MAX_PATH] = {};
    const bool named = process != nullptr && GetProcessImageFileNameA(process, path, MAX_PATH) != 0;
    if (process != nullptr) CloseHandle(process);
    const char* file = named ? std::strrchr(path, '\\') : nullptr;
    return file != nullptr && lstrcmpiA(file + 1, "tarvik.exe") == 0 ? "tarvik.exe" : "tarvikctl";
}

} // namespace

std::string StartLock::acquire(DWORD timeoutMs) {
    if (held_) return "";
    if (mutex_ == nullptr) mutex_ = CreateMutexA(nullptr, FALSE, lockName().c_str());
    if (mutex_ == nullptr)
        return cat("cannot create the start lock (error ", num(GetLastError()), ")");
    switch (WaitForSingleObject(mutex_, timeoutMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: held_ = true; return "";
    case WAIT_TIMEOUT:
        return cat("another tarvikctl has been starting or stopping for ", num(timeoutMs / 1000),
                   " s and does not finish");
    default: return cat("cannot take the start lock (error ", num(GetLastError()), ")");
    }
}

void StartLock::release() {
    if (held_) ReleaseMutex(mutex_);
    held_ = false;
    if (mutex_ != nullptr) CloseHandle(mutex_);
    mutex_ = nullptr;
}

std::optional<RunningInstance> findRunning() {
    const DWORD self = GetCurrentProcessId();
    HWND window = nullptr;
    while ((window = FindWindowExA(HWND_MESSAGE, window, kNotifyClass, kNotifyTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != 0 && owner != self)
            return RunningInstance{window, owner, controllerName(owner)};
    }
    return std::nullopt;
}

std::string stopRunning(const RunningInstance& running, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, running.processId);
    if (!PostMessageA(running.window, WM_CLOSE, 0, 0) && IsWindow(running.window)) {
        if (process != nullptr) CloseHandle(process);
        return cat("cannot ask ", running.name, " (process ", num(running.processId),
                   ") to stop (error ", num(GetLastError()), ")");
    }
    bool ended = false;
    if (process != nullptr) {
        ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
        CloseHandle(process);
    } else {
        // Not ours to wait on: its notify window goes once it has undone everything.
        // GetTickCount wraps after 49.7 days; the difference of two readings does not.
        const DWORD start = GetTickCount();
        while (IsWindow(running.window) && GetTickCount() - start < timeoutMs)
            Sleep(kWindowPollMs);
        ended = !IsWindow(running.window);
    }
    if (ended) return "";
    return cat(running.name, " (process ", num(running.processId), ") did not stop within ",
               num(timeoutMs / 1000), " s; if it hangs, end it with 'taskkill /f /pid ",
               num(running.processId), "'");
}

} // namespace tarvikctl
