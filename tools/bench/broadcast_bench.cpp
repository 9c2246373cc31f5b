// broadcast_bench: changeAllToolbar_EXPIE and restoreAllToolbar_EXPIE over 1, 10
// and 50 frames of a stand-in shell process, with the hooks installed here, as a
// controller does. Half the frames are Explorer frames (sharing their image
// lists, as Explorer's windows do), half Internet Explorer frames. The icons are
// made in the host: under Wine icon handles are process-local.
//   broadcast_bench [rounds [--hidden]]   --hidden: frames never shown
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
#include "standin/client.h"
#include "standin/glyphs.h"

namespace {

using bench::median;
using bench::nowMs;

constexpr int kIcons = 12;
constexpr int kCounts[] = {1, 10, 50};

int fail(const std::string& problem) {
    std::fprintf(stderr, "broadcast_bench: %s\n", problem.c_str());
    return 1;
}

std::vector<COLORREF> palette(bool hot) {
    std::vector<COLORREF> colours;
    for (int i = 0; i < kIcons; ++i)
        colours.push_back(RGB(40 + 17 * i, hot ? 220 : 120, 200 - 13 * i));
    return colours;
}

standin::FrameOptions frameOptions(int index, bool visible) {
    standin::FrameOptions options;
    const bool explorer = index % 2 == 0;
    options.frameClass = explorer ? standin::FrameClass::Explorer : standin::FrameClass::Browser;
    options.large = explorer;
    options.shareImageLists = explorer;
    options.x = 10 + (index % 10) * 40;
    options.y = 10 + (index / 10) * 60 + (index % 10) * 12;
    options.width = 640;
    options.height = 320;
    options.visible = visible;
    return options;
}

// Top-level "Shell_TrayWnd" windows: the library sends its last message to the first.
int taskbarWindows() {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "Shell_TrayWnd", nullptr)) != nullptr)
        ++count;
    return count;
}

// Messages that the windows of one frame receive in the host during one change and
// one restore: each of them passes the hooks there, at the cost hook_bench measures.
bool countMessages(standin::RemoteShell& shell, LibraryUnderTest& library,
                   const standin::FrameHandles& frame, std::size_t counts[2]) {
    tarvik::test::RecorderConfig config;
    config.skipNoise = false;
    config.defaultPayloads = false;
    const std::vector<HWND> windows = {frame.frame,       frame.worker,      frame.rebar,
                                       frame.mainToolbar, frame.menuToolbar, frame.addressChild,
                                       frame.linksToolbar};
    for (int step = 0; step < 2; ++step) {
        if (!shell.startRecording(windows, config)) return false;
        if (step == 0)
            library.changeAllToolbar();
        else
            library.restoreAllToolbar();
        auto records = shell.records();
        shell.stopRecording();
        if (!records) return false;
        counts[step] = records->size();
    }
    return true;
}

// Per frame: one icon application sent straight to the frame, and a WM_NULL after it
// for the bare cost of the cross-process round trip.
void perFrameBreakdown(LibraryUnderTest& library, const std::vector<standin::FrameHandles>& frames,
                       const std::vector<bool>& explorer) {
    library.changeAllToolbar(); // customisation on, the native icons saved
    std::vector<double> work, trip;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        DWORD_PTR result = 0;
        const LPARAM kind = explorer[i] ? TARVIK_KIND_EXPLORER : TARVIK_KIND_IE;
        const double start = nowMs();
        SendMessageTimeoutA(frames[i].frame, MSG_SET_ICONS, 1, kind, SMTO_ABORTIFHUNG, 5000,
                            &result);
        const double applied = nowMs();
        SendMessageTimeoutA(frames[i].frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        const double returned = nowMs();
        work.push_back(applied - start);
        trip.push_back(returned - applied);
    }
    library.restoreAllToolbar();
    std::sort(work.begin(), work.end());
    std::printf("\nper frame, %zu frames: MSG_SET_ICONS sent to the frame alone takes %.2f ms\n"
                "(median; fastest %.2f, slowest %.2f); a WM_NULL round trip to the same frame\n"
                "%.3f ms: the time is the icon walk in the frame's own process.\n",
                work.size(), median(work), work.front(), work.back(), median(trip));
}

// After the last restore: which frames show their native image 0 again. Native
// colours are the same in every frame of a kind (the stand-in's glyphs).
void reportRestoredFrames(standin::RemoteShell& shell,
                          const std::vector<standin::FrameHandles>& frames,
                          const std::vector<bool>& explorer) {
    int notBack[2] = {}, total[2] = {};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const int kind = explorer[i] ? 0 : 1;
        ++total[kind];
        auto list = shell.imageList(frames[i].mainToolbar, false);
        if (!list || list->count == 0 || list->centre[0] != standin::nativeColor(0, false))
            ++notBack[kind];
    }
    std::printf("\nafter restoreAllToolbar_EXPIE, frames whose toolbar lacks its native image 0:\n"
                "  Explorer frames %d of %d, Internet Explorer frames %d of %d\n",
                notBack[0], total[0], notBack[1], total[1]);
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool visible = !(argc > 2 && std::strcmp(argv[2], "--hidden") == 0);
    LibraryUnderTest library;
    std::string error;
    if (!library.load(&error)) return fail(error);
    HWND notify = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    standin::RemoteShell shell;
    if (!shell.start()) return fail("the stand-in shell did not start: " + shell.lastError());
    auto taskbar = shell.createTaskbar();
    if (!taskbar) return fail("taskbar: " + taskbar.error);

    auto large = shell.createIcons(24, palette(false));
    auto largeHot = shell.createIcons(24, palette(true));
    auto small = shell.createIcons(16, palette(false));
    auto smallHot = shell.createIcons(16, palette(true));
    if (!large || !largeHot || !small || !smallHot) return fail("icons could not be made");

    library.installHook(library.module, notify);
    library.setIcons(large->data(), largeHot->data(), kIcons, 24);
    library.setSmallIcons(small->data(), smallHot->data(), kIcons, 16);
    std::printf("broadcasts from this process to frames of the stand-in shell (process %lu);\n"
                "one untimed and %d timed rounds of changeAllToolbar_EXPIE then\n"
                "restoreAllToolbar_EXPIE;\n"
                "Shell_TrayWnd windows on the desktop: %d; the one FindWindowA finds (where\n"
                "restoreAllToolbar_EXPIE sends MSG_RESTORE_ICONS) is the stand-in's: %s\n\n",
                shell.processId(), rounds, taskbarWindows(),
                FindWindowA("Shell_TrayWnd", nullptr) == *taskbar ? "yes" : "no");
    std::printf("times in ms: median of the rounds (fastest round); the growth below uses the\n"
                "fastest rounds, the least disturbed by other work on the machine\n");
    std::printf("%6s %18s %18s %18s %18s\n", "frames", "change", "restore", "change/frame",
                "restore/frame");

    std::vector<standin::FrameHandles> frames;
    std::vector<bool> explorer;
    double perFrameChange[3] = {}, perFrameRestore[3] = {};
    auto cell = [](double middle, double best) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f (%.2f)", middle, best);
        return std::string(text);
    };
    int row = 0;
    for (const int count : kCounts) {
        while (static_cast<int>(frames.size()) < count) {
            auto made = shell.createFrame(frameOptions(static_cast<int>(frames.size()), visible));
            if (!made) return fail("frame: " + made.error);
            frames.push_back(*made);
            explorer.push_back(frames.size() % 2 == 1);
        }
        auto native = shell.imageList(frames.back().mainToolbar, false);
        if (!native) return fail("image list: " + native.error);
        std::vector<double> change, restore;
        // One untimed round first: the new frames' first hooked messages load the
        // library into their threads' paths and warm their image lists.
        library.changeAllToolbar();
        library.restoreAllToolbar();
        for (int round = 0; round < rounds; ++round) {
            const double start = nowMs();
            library.changeAllToolbar();
            const double changed = nowMs();
            // The newest frame shows the controller's icon: the broadcast did its work.
            auto applied = shell.imageList(frames.back().mainToolbar, false);
            const COLORREF want = palette(false)[0];
            if (!applied || applied->centre[0] != want)
                return fail("the icons did not reach frame " + std::to_string(frames.size()));
            const double restoring = nowMs();
            library.restoreAllToolbar();
            const double restored = nowMs();
            auto back = shell.imageList(frames.back().mainToolbar, false);
            if (!back || back->centre[0] != native->centre[0])
                return fail("the native icons did not come back to frame " +
                            std::to_string(frames.size()) + ": image 0 shows " +
                            std::to_string(back ? back->centre[0] : 0) + ", natively " +
                            std::to_string(native->centre[0]) + ", round " +
                            std::to_string(round + 1));
            change.push_back(changed - start);
            restore.push_back(restored - restoring);
        }
        const double c = median(change), r = median(restore);
        const double cBest = *std::min_element(change.begin(), change.end());
        const double rBest = *std::min_element(restore.begin(), restore.end());
        perFrameChange[row] = cBest / count;
        perFrameRestore[row] = rBest / count;
        std::printf("%6d %18s %18s %18s %18s\n", count, cell(c, cBest).c_str(),
                    cell(r, rBest).c_str(), cell(c / count, perFrameChange[row]).c_str(),
                    cell(r / count, perFrameRestore[row]).c_str());
        std::fflush(stdout);
        ++row;
    }
    std::size_t messages[2] = {};
    if (!countMessages(shell, library, frames.front(), messages))
        return fail("the messages of a frame could not be recorded");
    std::printf("\nmessages received by the windows of one frame (frame, WorkerW, rebar and its\n"
                "toolbars, address box) during one change: %zu, one restore: %zu\n",
                messages[0], messages[1]);
    perFrameBreakdown(library, frames, explorer);
    reportRestoredFrames(shell, frames, explorer);
    std::printf("\ngrowth of the time per frame from 1 to 50 frames: change x%.2f, restore x%.2f\n",
                perFrameChange[2] / perFrameChange[0], perFrameRestore[2] / perFrameRestore[0]);
    std::printf("growth from 10 to 50 frames (5x the frames): change x%.2f, restore x%.2f total\n",
                perFrameChange[2] * 50 / (perFrameChange[1] * 10),
                perFrameRestore[2] * 50 / (perFrameRestore[1] * 10));
    library.uninstallHook();
    shell.stop();
    return 0;
}
