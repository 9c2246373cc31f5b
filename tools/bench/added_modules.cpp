// added_modules: the modules that loading a library adds to a GUI process which
// has never used the common controls. Makes a window of its own class (no
// comctl32 anywhere in this program), lists the process's modules, loads the
// library, lists them again and prints each new one.
//   added_modules <dll>
// Prints "before: N modules, comctl32 not loaded" and one "added: <name>" line per
// new module. Exit 0 once the list is printed; 1 when the library did not load;
// 2 when comctl32 was mapped before the load, so the run proves nothing.
#include <windows.h>
#include <tlhelp32.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

using Modules = std::map<HMODULE, std::string>;

Modules loadedModules() {
    Modules modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        modules[entry.hModule] = entry.szModule;
    CloseHandle(snapshot);
    return modules;
}

bool holdsComctl32(const Modules& modules) {
    for (const auto& module : modules)
        if (lstrcmpiA(module.second.c_str(), "comctl32.dll") == 0) return true;
    return false;
}

HWND makeWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarvikAddedModulesProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    return window;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: added_modules <dll>\n");
        return 2;
    }
    if (makeWindow() == nullptr) {
        std::fprintf(stderr, "added_modules: no window\n");
        return 2;
    }
    const Modules before = loadedModules();
    const bool comctl32Before = holdsComctl32(before);
    std::printf("before: %zu modules, comctl32 %s\n", before.size(),
                comctl32Before ? "loaded" : "not loaded");
    if (comctl32Before) return 2;
    if (LoadLibraryA(argv[1]) == nullptr) {
        std::fprintf(stderr, "added_modules: %s did not load\n", argv[1]);
        return 1;
    }
    for (const auto& module : loadedModules())
        if (before.count(module.first) == 0) std::printf("added: %s\n", module.second.c_str());
    std::fflush(stdout);
    return 0;
}
