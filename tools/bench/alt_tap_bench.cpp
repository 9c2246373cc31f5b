// alt_tap_bench: how long the low-level keyboard hook holds the release of an Alt
// tap on an Explorer frame whose band is hidden, with the frame's thread idle and
// with it busy (taking nothing) for a while. The hooks are installed here, as a
// controller does, so the low-level hook runs on this thread; under Wine SendInput
// returns once the low-level hooks have answered, so its time is the hold.
//   alt_tap_bench [taps]
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_time.h"
#include "library_under_test.h"
#include "standin/client.h"
#include "standin/relay_protocol.h"

namespace {

using bench::nowMs;

constexpr DWORD kBusyMs = 1500;

int fail(const std::string& problem) {
    std::fprintf(stderr, "alt_tap_bench: %s\n", problem.c_str());
    return 1;
}

bool key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof input) == 1;
}

// MSG_TOGGLE_MENUBAR records of the frame so far, or -1.
int toggles(standin::RemoteShell& shell) {
    auto records = shell.records();
    if (!records) return -1;
    return static_cast<int>(std::count_if(records->begin(), records->end(), [](const auto& r) {
        return r.message == MSG_TOGGLE_MENUBAR;
    }));
}

struct Run {
    std::vector<double> heldMs;
    int toggled = 0;
};

// `taps` Alt taps with the frame in front; the release of each is timed. Busy: the
// frame's thread is held before each release.
bool tap(standin::RemoteShell& shell, HWND frame, int taps, bool busy, Run& run,
         std::string& error) {
    tarvik::test::RecorderConfig config;
    config.recordOnly(MSG_TOGGLE_MENUBAR);
    if (!shell.startRecording({frame}, config)) return error = "recording failed", false;
    for (int i = 0; i < taps; ++i) {
        if (!shell.foreground(frame)) return error = "the frame did not come to the front", false;
        if (!key(VK_MENU, false)) return error = "SendInput failed", false;
        if (busy) {
            const standin::wire::HoldBody hold{frame, kBusyMs, 0, {}};
            auto held = shell.call<standin::Done>(standin::wire::Request::SendThenHold, hold);
            if (!held) return error = "hold: " + held.error, false;
        }
        const double start = nowMs();
        if (!key(VK_MENU, true)) return error = "SendInput failed", false;
        run.heldMs.push_back(nowMs() - start);
        // Through the frame's own thread: it is free again and has taken what was sent.
        if (!shell.send(frame, WM_NULL)) return error = "the frame did not answer", false;
    }
    run.toggled = toggles(shell);
    return true;
}

void report(const char* what, Run run, int taps) {
    std::sort(run.heldMs.begin(), run.heldMs.end());
    const double median = run.heldMs[run.heldMs.size() / 2];
    std::printf("%-28s median %8.2f ms, fastest %8.2f, slowest %8.2f; toggles %d of %d taps\n",
                what, median, run.heldMs.front(), run.heldMs.back(), run.toggled, taps);
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const int taps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    LibraryUnderTest library;
    std::string error;
    if (!library.load(&error)) return fail(error);
    HWND notify = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    standin::RemoteShell shell;
    if (!shell.start()) return fail("the stand-in shell did not start: " + shell.lastError());
    standin::FrameOptions options;
    options.frameClass = standin::FrameClass::Explorer;
    auto frame = shell.createFrame(options);
    if (!frame) return fail("frame: " + frame.error);
    library.installHook(library.module, notify);
    library.showHideAllMenu(1, 0);

    Run idle, busy;
    if (!tap(shell, frame->frame, taps, false, idle, error) ||
        !tap(shell, frame->frame, taps, true, busy, error))
        return fail(error);
    std::printf("the Alt release held by the low-level keyboard hook (SendInput's time), an\n"
                "Explorer frame of the stand-in shell in front, its menu band hidden:\n");
    report("frame idle:", idle, taps);
    char busyLabel[64];
    std::snprintf(busyLabel, sizeof busyLabel, "frame busy for %lu ms:", kBusyMs);
    report(busyLabel, busy, taps);
    library.uninstallHook();
    shell.stop();
    return 0;
}
