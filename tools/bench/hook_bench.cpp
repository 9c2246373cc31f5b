// hook_bench: what the hook library adds to a message it does not handle.
// WM_USER+1 is sent to a plain window of this thread: the hooks run exactly as
// for any sent message (Wine calls WH_CALLWNDPROC and WH_CALLWNDPROCRET for
// same-thread sends too), without the cost and noise of a cross-thread send,
// which under Wine is larger than everything measured here.
//   hook_bench --relay <messages>           one run for Wine's relay trace
//   hook_bench --wall <messages> <rounds>   wall clock: none, bare hooks, the library
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_time.h"
#include "library_under_test.h"

namespace {

using bench::median;

constexpr UINT kProbe = WM_USER + 1;
constexpr int kWarmUp = 200;

using InstallBare = int (*)(HINSTANCE);
using RemoveBare = void (*)();

LRESULT CALLBACK targetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) return static_cast<LRESULT>(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeTarget() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = targetProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarvikBenchTarget";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                           100, nullptr, nullptr, windowClass.hInstance, nullptr);
}

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Sends `count` probes; false if a reply was wrong (the window must see every one).
bool sendProbes(HWND target, int count) {
    for (int i = 0; i < count; ++i)
        if (SendMessageA(target, kProbe, static_cast<WPARAM>(i), 0) != i) return false;
    return true;
}

double microsecondsPerMessage(HWND target, int count) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const bool ok = sendProbes(target, count);
    QueryPerformanceCounter(&end);
    if (!ok) return -1;
    return (end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart / count;
}

struct Bench {
    LibraryUnderTest library;
    HMODULE bare = nullptr;
    InstallBare installBare = nullptr;
    RemoveBare removeBare = nullptr;
    HWND target = nullptr;

    std::string load() {
        std::string error;
        if (!library.load(&error)) return error;
        bare = LoadLibraryA(besideThisProgram("BareHook.dll").c_str());
        if (bare == nullptr) return "BareHook.dll did not load";
        // Through void*: FARPROC's type says nothing about the export's.
        installBare = reinterpret_cast<InstallBare>(
            reinterpret_cast<void*>(GetProcAddress(bare, "installBareHooks")));
        removeBare = reinterpret_cast<RemoveBare>(
            reinterpret_cast<void*>(GetProcAddress(bare, "removeBareHooks")));
        if (installBare == nullptr || removeBare == nullptr)
            return "BareHook.dll lacks its exports";
        target = makeTarget();
        if (target == nullptr) return "the target window could not be made";
        return "";
    }

    // The library as a controller leaves it while it runs: hooks in, customisation on.
    void installLibrary() {
        library.installHook(library.module, target);
        library.changeAllToolbar();
    }
    void removeLibrary() {
        library.restoreAllToolbar();
        library.uninstallHook();
        pump();
    }
};

int relay(Bench& bench, int messages) {
    const auto base = reinterpret_cast<unsigned long long>(bench.library.module);
    std::printf("library " TARVIK_DLL_NAME " base %#llx size %#lx\n", base,
                static_cast<unsigned long>(moduleImageSize(bench.library.module)));
    bench.installLibrary();
    std::printf("hook WH_CALLWNDPROC %#llx\nhook WH_CALLWNDPROCRET %#llx\n",
                reinterpret_cast<unsigned long long>(bench.library.shared->hookCallWndProc),
                reinterpret_cast<unsigned long long>(bench.library.shared->hookCallWndProcRet));
    sendProbes(bench.target, kWarmUp);
    // The markers bound the part of the trace that is counted.
    OutputDebugStringA("tarvik-bench: begin");
    const bool ok = sendProbes(bench.target, messages);
    OutputDebugStringA("tarvik-bench: end");
    bench.removeLibrary();
    std::printf("messages %d\nhook procedures per message 2\n", messages);
    std::fflush(stdout);
    return ok ? 0 : 1;
}

int wall(Bench& bench, int messages, int rounds) {
    enum { kNone, kBare, kOurs, kConfigs };
    const char* names[kConfigs] = {"no hooks", "bare hooks (BareHook.dll)", TARVIK_DLL_NAME};
    std::vector<double> times[kConfigs];
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        double t[kConfigs] = {};
        // Each round starts with another configuration, so drift spreads over all three.
        for (int step = 0; step < kConfigs; ++step) {
            const int config = (round + step) % kConfigs;
            if (config == kBare && !bench.installBare(bench.bare)) return 1;
            if (config == kOurs) bench.installLibrary();
            sendProbes(bench.target, kWarmUp);
            t[config] = microsecondsPerMessage(bench.target, messages);
            if (config == kBare) bench.removeBare();
            if (config == kOurs) bench.removeLibrary();
            if (t[config] < 0) {
                std::fprintf(stderr, "a probe came back wrong\n");
                return 1;
            }
        }
        for (int config = 0; config < kConfigs; ++config)
            times[config].push_back(t[config]);
        const double ratio = (t[kOurs] - t[kNone]) / (t[kBare] - t[kNone]);
        ratios.push_back(ratio);
        std::printf("round %d: no hooks %.2f us, bare %.2f us, library %.2f us per message; "
                    "added-cost ratio %.3f\n",
                    round + 1, t[kNone], t[kBare], t[kOurs], ratio);
    }
    std::printf("\nmedians over %d rounds of %d messages:\n", rounds, messages);
    for (int config = 0; config < kConfigs; ++config)
        std::printf("  %-28s %8.2f us per message\n", names[config], median(times[config]));
    std::printf("  added by bare hooks          %8.2f us\n",
                median(times[kBare]) - median(times[kNone]));
    std::printf("  added by the library         %8.2f us\n",
                median(times[kOurs]) - median(times[kNone]));
    std::vector<double> sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    std::printf(
        "  added-cost ratio over the rounds: lowest %.3f, middle half %.3f..%.3f, highest %.3f\n",
        sorted.front(), sorted[sorted.size() / 4], sorted[(3 * sorted.size()) / 4], sorted.back());
    std::printf("wall-clock ratio vs bare hook: %.2f\n", median(ratios));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Bench bench;
    const std::string problem = bench.load();
    if (!problem.empty()) {
        std::fprintf(stderr, "hook_bench: %s\n", problem.c_str());
        return 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--relay") == 0) return relay(bench, std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "--wall") == 0)
        return wall(bench, std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: hook_bench --relay <messages> | --wall <messages> <rounds>\n");
    return 2;
}
