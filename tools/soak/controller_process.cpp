#include "controller_process.h"

#include <cstring>
#include "pump.h"
#include "standin/client.h"

namespace soak {

namespace {

constexpr DWORD kStartMs = 30000;
// A broadcast over every frame of three busy hosts; generous on a loaded machine.
constexpr UINT kCommandMs = 120000;
constexpr const char* kReplyClass = "TarvikSoakDriverReply";

LRESULT CALLBACK replyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* self = reinterpret_cast<ControllerProcess*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (self != nullptr && data->dwData == kCensusReply) self->takeCensus(*data);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string besideThisProgram(const char* file) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    return result.substr(0, result.find_last_of("\\/") + 1) + file;
}

} // namespace

ControllerProcess::ControllerProcess() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = replyProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kReplyClass;
    RegisterClassA(&windowClass);
    replyWindow_ = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    SetWindowLongPtrA(replyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ControllerProcess::~ControllerProcess() {
    kill();
    if (replyWindow_ != nullptr) DestroyWindow(replyWindow_);
}

std::string ControllerProcess::start() {
    kill();
    const std::string ready = "TarvikSoakController" + std::to_string(GetTickCount()) + "_" +
                              std::to_string(GetCurrentProcessId());
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
    const std::string program = besideThisProgram("soak_controller.exe");
    std::string command = "\"" + program + "\" --ready " + ready + " --parent " +
                          std::to_string(GetCurrentProcessId());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        CloseHandle(event);
        return "CreateProcess failed for " + program;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    HANDLE either[] = {event, process_};
    bool started = false;
    tarvik::test::pumpUntil(
        [&] {
            const DWORD woke = WaitForMultipleObjects(2, either, FALSE, 0);
            started = woke == WAIT_OBJECT_0;
            return woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1;
        },
        kStartMs);
    CloseHandle(event);
    if (!started) return "the controller did not start (exit or time-out)";
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, kControllerClass, nullptr);
         window != nullptr;
         window = FindWindowExA(HWND_MESSAGE, window, kControllerClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId_) window_ = window;
    }
    return window_ != nullptr ? "" : "the controller's window was not found";
}

bool ControllerProcess::command(Command command, const void* body, DWORD bytes) {
    if (window_ == nullptr) return false;
    COPYDATASTRUCT data{static_cast<ULONG_PTR>(command), bytes, const_cast<void*>(body)};
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window_, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow_),
                               reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kCommandMs,
                               &result) != 0 &&
           result != 0;
}

bool ControllerProcess::census(tarvik::test::GuiCensus& census) {
    censusTaken_ = false;
    CensusCommand body{reinterpret_cast<UINT_PTR>(replyWindow_)};
    if (!command(Command::Census, &body, sizeof body) || !censusTaken_) return false;
    census = census_;
    return true;
}

void ControllerProcess::takeCensus(const COPYDATASTRUCT& data) {
    if (data.cbData != sizeof census_) return;
    std::memcpy(&census_, data.lpData, sizeof census_);
    censusTaken_ = true;
}

bool ControllerProcess::stop() {
    if (process_ == nullptr) return true;
    const bool ended =
        command(Command::Quit) && tarvik::test::pumpUntilSignalled(process_, kStartMs);
    kill();
    return ended;
}

void ControllerProcess::kill() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, standin::kKilledHostExitCode);
    tarvik::test::pumpUntilSignalled(process_, kStartMs);
    CloseHandle(process_);
    process_ = nullptr;
    processId_ = 0;
    window_ = nullptr;
}

} // namespace soak
