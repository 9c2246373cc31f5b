// standin_shell.exe: hosts stand-in frames for tests in another process.
//   standin_shell --name NAME [--threads N] [--parent PID] [--demo] [--leak-icon]
//                 [--toolbar-module 5|6|bare|system] [--other-bitness-callbacks]
// With no arguments (or --demo alone) it shows the demo scene until its frames close.
#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>
#include "host.h"
#include "standin/comctl/toolbar_modules.h"
#include "standin/other_bitness_callbacks.h"

namespace {

using standin::host::Host;

// The demo checks this often whether its frames are still open.
constexpr UINT kDemoCheckMs = 500;
constexpr UINT_PTR kDemoTimer = 1;

struct Arguments {
    std::string name;
    int threads = 1;
    DWORD parent = 0;
    bool demo = false;
    standin::ToolbarModule toolbarModule = standin::ToolbarModule::Default;
    bool leakIcon = false;
    bool otherBitnessCallbacks = false;
};

std::string narrow(const wchar_t* text) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), bytes, nullptr, nullptr);
    return result;
}

Arguments parse() {
    Arguments args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < count;
        if (arg == L"--name" && hasValue)
            args.name = narrow(argv[++i]);
        else if (arg == L"--threads" && hasValue)
            args.threads = _wtoi(argv[++i]);
        else if (arg == L"--parent" && hasValue)
            args.parent = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (arg == L"--toolbar-module" && hasValue)
            args.toolbarModule = standin::toolbarModuleNamed(narrow(argv[++i]).c_str());
        else if (arg == L"--demo")
            args.demo = true;
        else if (arg == L"--leak-icon")
            args.leakIcon = true;
        else if (narrow(arg.c_str()) == standin::kOtherBitnessCallbacksOption)
            args.otherBitnessCallbacks = true;
    }
    LocalFree(argv);
    if (args.name.empty()) args.demo = true;
    if (args.threads < 1) args.threads = 1;
    return args;
}

bool demoOver(const Host& host) {
    for (HWND frame : host.demoFrames)
        if (IsWindow(frame)) return false;
    return true;
}

void runLoop(Host& host) {
    if (host.demo) SetTimer(host.control, kDemoTimer, kDemoCheckMs, nullptr);
    for (;;) {
        DWORD waits = host.parent != nullptr ? 1 : 0;
        DWORD woke = MsgWaitForMultipleObjects(waits, &host.parent, FALSE, INFINITE, QS_ALLINPUT);
        if (waits == 1 && woke == WAIT_OBJECT_0) return; // the client is gone
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return;
            if (message.message == WM_TIMER && message.hwnd == host.control &&
                message.wParam == kDemoTimer && demoOver(host))
                return;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Arguments args = parse();
    static Host host; // handlers and GUI threads refer to it until the process ends
    host.name = args.name.empty() ? "demo" : args.name;
    host.demo = args.demo;
    standin::setDefaultToolbarModule(args.toolbarModule);
    host.leakIcon = args.leakIcon;
    if (args.parent != 0) host.parent = OpenProcess(SYNCHRONIZE, FALSE, args.parent);
    for (int i = 0; i < args.threads; ++i)
        if (host.startThread() < 0) return 2;
    if (args.otherBitnessCallbacks)
        for (int i = 0; i < args.threads; ++i)
            if (host.onThread(i, [] { standin::attachOtherBitnessCallbacks(); }) !=
                standin::wire::Status::Ok)
                return 5;
    if (standin::host::createControlWindow(host) == nullptr) return 3;
    if (host.demo && !standin::host::startDemo(host)) return 4;
    std::string readyName = std::string(standin::wire::kReadyEventPrefix) + host.name;
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName.c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
    }

    runLoop(host);

    host.recorder.detachAll();
    for (auto& thread : host.threads)
        thread->stop();
    for (HICON icon : host.icons)
        DestroyIcon(icon);
    // Frames die with their threads; ExitProcess skips static destructors that could
    // wait on threads which did not leave in time.
    ExitProcess(0);
}
