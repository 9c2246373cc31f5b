// frame_open_bench: what opening a frame costs with the hook library, measured in
// the frame's own thread from creating the frame to its first paint (frame, rebar
// and main toolbar painted), for the first and the later Explorer and browser frames
// of a process. The frames live in a child process built from the stand-in shell's
// frames; this process is the controller. Each child is run without hooks, with
// BareHook.dll (the cheapest global hooks) and with the library, the same way.
//   frame_open_bench [rounds [frames]]
// Child: frame_open_bench --child none|bare|library <frames>; it prints one line per
// kind with the times, and (with the library) the image-list refills it counted.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "icon_ledger.h"
#include "bench_time.h"
#include "library_under_test.h"
#include "standin/frame.h"
#include "standin/images.h"

namespace {

using bench::median;
using bench::nowMs;

constexpr int kSlots = 64;
// The child is told only whether it stores icons (library); "off" is the library's
// hooks installed with customisation off: their dispatch alone.
constexpr const char* kModes[] = {"none", "bare", "off", "library"};
constexpr int kModeCount = 4;
constexpr int kLibraryMode = 3;

int fail(const std::string& problem) {
    std::fprintf(stderr, "frame_open_bench: %s\n", problem.c_str());
    return 1;
}

// ---- child: the frames' process ----

standin::FrameOptions frameOptions(bool explorer, int index) {
    standin::FrameOptions options;
    options.frameClass = explorer ? standin::FrameClass::Explorer : standin::FrameClass::Browser;
    options.large = true;
    options.shareImageLists = explorer; // Explorer's windows share the shell's lists
    options.imageCount = 32;
    options.x = 20 + index * 24;
    options.y = 20 + index * 24;
    options.width = 700;
    options.height = 420;
    return options;
}

bool painted(HWND window) {
    return window == nullptr || !GetUpdateRect(window, nullptr, FALSE);
}

// Creates and shows the frame, then runs this thread's messages until the frame, its
// rebar and its main toolbar have no part left to paint.
double openFrame(const standin::FrameOptions& options, standin::FrameHandles* made) {
    const double start = nowMs();
    *made = standin::createFrame(options);
    for (;;) {
        MSG message;
        const bool got = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0;
        if (got) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (message.message != WM_PAINT) continue;
        }
        if (painted(made->frame) && painted(made->rebar) && painted(made->mainToolbar)) break;
        if (!got) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return nowMs() - start;
}

// Runs the thread's messages for a moment: what the open left pending (timers).
void settle(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::vector<HICON> iconSet(int size, bool hot, int set) {
    std::vector<HICON> icons;
    for (int slot = 0; slot < kSlots; ++slot)
        icons.push_back(
            standin::createSolidIcon(size, RGB(30 + slot * 3, hot ? 200 : 90, 60 + set * 80)));
    return icons;
}

// Images the library put into lists: one per ImageList_ReplaceIcon, a list's worth per
// ImageList_Add of a prepared strip.
unsigned imagesFilled() {
    const tarvik::test::IconLedgerCounts counts = tarvik::test::iconLedgerCounts();
    return counts.replaceIcons + counts.adds * kSlots;
}

// Images the library filled in while the frame was hidden and shown.
unsigned refillOfReshow(HWND frame) {
    const unsigned before = imagesFilled();
    ShowWindow(frame, SW_HIDE);
    ShowWindow(frame, SW_SHOW);
    settle(20);
    return imagesFilled() - before;
}

// Messages this thread's windows get while a frame opens: each passes every global
// hook once (sent: the call-window pair; retrieved: the get-message hook).
unsigned sentMessages = 0, retrievedMessages = 0;

LRESULT CALLBACK countSent(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) ++sentMessages;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK countRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && wParam == PM_REMOVE) ++retrievedMessages;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs `work` with this thread's messages counted.
template <typename Work>
void countMessages(Work work) {
    sentMessages = retrievedMessages = 0;
    const DWORD thread = GetCurrentThreadId();
    HHOOK sent = SetWindowsHookExA(WH_CALLWNDPROC, countSent, nullptr, thread);
    HHOOK retrieved = SetWindowsHookExA(WH_GETMESSAGE, countRetrieved, nullptr, thread);
    work();
    UnhookWindowsHookEx(sent);
    UnhookWindowsHookEx(retrieved);
}

// One more frame, untimed, with this thread's messages counted.
void countMessagesOfOpen(bool explorer, int index, std::vector<standin::FrameHandles>* opened) {
    standin::FrameHandles made{};
    countMessages([&] { openFrame(frameOptions(explorer, index), &made); });
    if (made.frame != nullptr) opened->push_back(made);
    std::printf("messages %s %u %u\n", explorer ? "explorer" : "browser", sentMessages,
                retrievedMessages);
    settle(30);
}

// A frame hidden and shown again with nothing changed, its thread's messages counted
// (the re-apply timer a show may arm included).
void countMessagesOfReshow(bool explorer, HWND frame) {
    countMessages([frame] {
        ShowWindow(frame, SW_HIDE);
        ShowWindow(frame, SW_SHOW);
        settle(30);
    });
    std::printf("reshow %s %u %u\n", explorer ? "explorer" : "browser", sentMessages,
                retrievedMessages);
}

// Wine's image-list code alone: what a refill of a pair costs (emptied, then 64 icons
// appended to each list) and what saving a pair's native icons costs (128 icons
// taken out), on lists like the toolbar's, best of a few tries.
void timeImageLists(const std::vector<HICON>& icons, const std::vector<HICON>& hotIcons) {
    double refill = 1e9, save = 1e9;
    for (int attempt = 0; attempt < 5; ++attempt) {
        HIMAGELIST lists[2] = {ImageList_Create(24, 24, ILC_COLOR32 | ILC_MASK, kSlots, 8),
                               ImageList_Create(24, 24, ILC_COLOR32 | ILC_MASK, kSlots, 8)};
        double start = nowMs();
        for (HIMAGELIST list : lists) {
            ImageList_Remove(list, -1);
            for (int slot = 0; slot < kSlots; ++slot)
                ImageList_ReplaceIcon(list, -1, (list == lists[0] ? icons : hotIcons)[slot]);
        }
        refill = std::min(refill, nowMs() - start);
        std::vector<HICON> taken;
        start = nowMs();
        for (HIMAGELIST list : lists)
            for (int slot = 0; slot < kSlots; ++slot)
                taken.push_back(ImageList_GetIcon(list, slot, ILD_NORMAL));
        save = std::min(save, nowMs() - start);
        for (HICON icon : taken)
            DestroyIcon(icon);
        for (HIMAGELIST list : lists)
            ImageList_Destroy(list);
    }
    std::printf("imagelists %.3f %.3f\n", refill, save);
}

int child(const char* mode, int frames) {
    const bool library = std::strcmp(mode, "library") == 0;
    LibraryUnderTest loaded;
    std::string error;
    // The controller's icons must be made here: under Wine icon handles are per process.
    // So this process stores them itself, through the library the hooks load here.
    if (library) {
        if (!loaded.load(&error, StartFrom::AsFound)) return fail(error);
        if (!tarvik::test::installIconLedger(loaded.module, &error)) return fail(error);
    }
    const std::vector<HICON> large = iconSet(24, false, 0), largeHot = iconSet(24, true, 0);
    const std::vector<HICON> small = iconSet(16, false, 0), smallHot = iconSet(16, true, 0);
    const std::vector<HICON> other = iconSet(24, false, 1), otherHot = iconSet(24, true, 1);
    if (library) {
        loaded.setIcons(large.data(), largeHot.data(), kSlots, 24);
        loaded.setSmallIcons(small.data(), smallHot.data(), kSlots, 16);
    }
    std::vector<standin::FrameHandles> opened;
    for (bool explorer : {true, false}) {
        std::printf("%s", explorer ? "explorer" : "browser");
        for (int i = 0; i < frames; ++i) {
            standin::FrameHandles made{};
            const double ms = openFrame(frameOptions(explorer, i), &made);
            if (made.frame == nullptr) return fail("a frame could not be made");
            std::printf(" %.3f", ms);
            opened.push_back(made);
            settle(30);
        }
        std::printf("\n");
    }
    if (std::strcmp(mode, "none") == 0) timeImageLists(large, largeHot);
    countMessagesOfOpen(true, frames, &opened);
    countMessagesOfOpen(false, frames, &opened);
    const HWND explorer = opened.front().frame, browser = opened[2 * frames - 1].frame;
    countMessagesOfReshow(true, explorer);
    countMessagesOfReshow(false, browser);
    if (library) {
        const unsigned explorerAgain = refillOfReshow(explorer);
        const unsigned browserAgain = refillOfReshow(browser);
        loaded.setIcons(other.data(), otherHot.data(), kSlots, 24);
        const unsigned browserNewSet = refillOfReshow(browser);
        const unsigned explorerNewSet = refillOfReshow(explorer);
        loaded.setIcons(other.data(), otherHot.data(), kSlots, 32);
        const unsigned browserNewSize = refillOfReshow(browser);
        std::printf("refills %u %u %u %u %u\n", explorerAgain, browserAgain, browserNewSet,
                    explorerNewSet, browserNewSize);
    }
    for (const standin::FrameHandles& frame : opened)
        standin::destroyFrame(frame.frame);
    std::fflush(stdout);
    return 0;
}

// ---- controller ----

struct ChildRun {
    std::vector<double> explorer, browser;
    unsigned messages[2][2] = {};    // [explorer, browser][sent, retrieved] of a later frame
    unsigned reshow[2][2] = {};      // the same for a frame hidden and shown again
    double refillMs = 0, saveMs = 0; // Wine's image-list code alone
    unsigned refills[5] = {};
    bool counted = false;
};

bool readTimes(const char* line, const char* kind, std::vector<double>* times) {
    const std::size_t length = std::strlen(kind);
    if (std::strncmp(line, kind, length) != 0 || line[length] != ' ') return false;
    const char* at = line + length;
    char* next = nullptr;
    for (double value = std::strtod(at, &next); next != at; value = std::strtod(at, &next)) {
        times->push_back(value);
        at = next;
    }
    return true;
}

bool runChild(const char* mode, int frames, ChildRun* run, std::string* error) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command =
        std::string("\"") + self + "\" --child " + mode + " " + std::to_string(frames);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return *error = "no pipe", false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> text(command.begin(), command.end());
    text.push_back('\0');
    const bool started = CreateProcessA(nullptr, text.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process) != 0;
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return *error = "the child did not start", false;
    }
    // This thread installed the hooks: it keeps taking messages while the child runs.
    std::string output;
    for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::vector<char> chunk(available);
            DWORD got = 0;
            if (ReadFile(readEnd, chunk.data(), available, &got, nullptr))
                output.append(chunk.data(), got);
            continue;
        }
        if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 10, QS_ALLINPUT) ==
            WAIT_OBJECT_0) {
            DWORD got = 0;
            char rest[4096];
            while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) &&
                   available > 0 && ReadFile(readEnd, rest, sizeof rest, &got, nullptr) && got)
                output.append(rest, got);
            break;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    if (code != 0) return *error = std::string("the child (") + mode + ") failed", false;
    std::size_t from = 0;
    while (from < output.size()) {
        std::size_t end = output.find('\n', from);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(from, end - from);
        from = end + 1;
        if (readTimes(line.c_str(), "explorer", &run->explorer) ||
            readTimes(line.c_str(), "browser", &run->browser))
            continue;
        if (std::sscanf(line.c_str(), "imagelists %lf %lf", &run->refillMs, &run->saveMs) == 2)
            continue;
        const int kind = line.find("explorer") != std::string::npos ? 0 : 1;
        unsigned* m = run->messages[kind];
        if (std::sscanf(line.c_str(), "messages %*s %u %u", &m[0], &m[1]) == 2) continue;
        unsigned* h = run->reshow[kind];
        if (std::sscanf(line.c_str(), "reshow %*s %u %u", &h[0], &h[1]) == 2) continue;
        unsigned* r = run->refills;
        if (std::sscanf(line.c_str(), "refills %u %u %u %u %u", &r[0], &r[1], &r[2], &r[3],
                        &r[4]) == 5)
            run->counted = true;
    }
    if (run->explorer.size() != static_cast<std::size_t>(frames) ||
        run->browser.size() != static_cast<std::size_t>(frames))
        return *error = std::string("the child (") + mode + ") printed no times", false;
    return true;
}

// Over the rounds, the median (or the fastest) of frame 0 (first) and of the median
// of frames 1.. (later).
struct Figures {
    double firstExplorer, laterExplorer, firstBrowser, laterBrowser;
};

double combine(std::vector<double> values, bool fastest) {
    return fastest ? *std::min_element(values.begin(), values.end()) : median(values);
}

Figures figuresOf(const std::vector<ChildRun>& runs, bool fastest) {
    std::vector<double> fe, le, fb, lb;
    for (const ChildRun& run : runs) {
        fe.push_back(run.explorer.front());
        fb.push_back(run.browser.front());
        le.push_back(median(std::vector<double>(run.explorer.begin() + 1, run.explorer.end())));
        lb.push_back(median(std::vector<double>(run.browser.begin() + 1, run.browser.end())));
    }
    return {combine(fe, fastest), combine(le, fastest), combine(fb, fastest), combine(lb, fastest)};
}

void printTable(const std::vector<ChildRun> (&runs)[kModeCount], bool fastest) {
    Figures f[kModeCount];
    for (int mode = 0; mode < kModeCount; ++mode)
        f[mode] = figuresOf(runs[mode], fastest);
    std::printf("%-16s %10s %10s %10s %10s %10s %9s %9s\n", fastest ? "fastest round" : "median",
                "no hooks", "bare hook", "lib. off", "library", "added ms", "lib/none", "lib/bare");
    const struct {
        const char* name;
        double Figures::*field;
    } rows[] = {{"first Explorer", &Figures::firstExplorer},
                {"later Explorer", &Figures::laterExplorer},
                {"first browser", &Figures::firstBrowser},
                {"later browser", &Figures::laterBrowser}};
    for (const auto& row : rows) {
        const double base = f[0].*row.field, bare = f[1].*row.field;
        const double lib = f[kLibraryMode].*row.field;
        std::printf("%-16s %10.2f %10.2f %10.2f %10.2f %10.2f %9.2f %9.2f\n", row.name, base, bare,
                    f[2].*row.field, lib, lib - base, base > 0 ? lib / base : 0,
                    bare > 0 ? lib / bare : 0);
    }
}

// Median over the rounds of a message count: [kind][sent, retrieved].
unsigned medianCount(const std::vector<ChildRun>& runs, unsigned (ChildRun::*counts)[2][2],
                     int kind, int which) {
    std::vector<double> values;
    for (const ChildRun& run : runs)
        values.push_back((run.*counts)[kind][which]);
    return static_cast<unsigned>(median(values) + 0.5);
}

// What the library sends to a frame's windows: its own messages and what the controls
// send each other because of them, over the same work without hooks. Retrieved
// messages (paints, timer ticks) are printed beside them; their number varies with the
// moment painting comes.
void printMessages(const std::vector<ChildRun> (&runs)[kModeCount], const char* what,
                   unsigned (ChildRun::*counts)[2][2]) {
    const char* kinds[] = {"Explorer", "browser"};
    for (int kind = 0; kind < 2; ++kind) {
        const unsigned sent = medianCount(runs[0], counts, kind, 0);
        const unsigned got = medianCount(runs[0], counts, kind, 1);
        const unsigned libSent = medianCount(runs[kLibraryMode], counts, kind, 0);
        const unsigned libGot = medianCount(runs[kLibraryMode], counts, kind, 1);
        const int added = static_cast<int>(libSent) - static_cast<int>(sent);
        std::printf("  %-8s %s: without hooks %u / %u, with the library %u / %u\n", kinds[kind],
                    what, sent, got, libSent, libGot);
        std::printf("library messages per %s, %s: %d\n", what, kinds[kind], added);
    }
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc > 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], std::max(2, std::atoi(argv[3])));
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int frames = argc > 2 ? std::max(2, std::atoi(argv[2])) : 6;

    LibraryUnderTest library;
    std::string error;
    if (!library.load(&error)) return fail(error);
    const HMODULE bareModule = LoadLibraryA(besideThisProgram("BareHook.dll").c_str());
    using InstallBare = int (*)(HINSTANCE);
    using RemoveBare = void (*)();
    const auto installBare = reinterpret_cast<InstallBare>(
        reinterpret_cast<void*>(GetProcAddress(bareModule, "installBareHooks")));
    const auto removeBare = reinterpret_cast<RemoveBare>(
        reinterpret_cast<void*>(GetProcAddress(bareModule, "removeBareHooks")));
    if (installBare == nullptr || removeBare == nullptr) return fail("BareHook.dll did not load");
    HWND notify = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);

    // Rounds interleave the modes, so a slow spell of the machine hits them alike.
    std::vector<ChildRun> runs[kModeCount];
    for (int round = 0; round < rounds; ++round) {
        for (int mode = 0; mode < kModeCount; ++mode) {
            if (mode == 1 && !installBare(bareModule))
                return fail("the bare hooks did not install");
            if (mode == 2) library.installHook(library.module, notify);
            if (mode == kLibraryMode) {
                // The controller's settings: icons on, logo and drop-down arrows hidden.
                // Each child is a new process whose first Explorer frame gets the icons.
                library.installHook(library.module, notify);
                library.showHideAllLogo(1, 1);
                library.showHideAllDropdownArrow(1, 1);
                library.changeAllToolbar();
            }
            ChildRun run;
            const bool ok = runChild(kModes[mode], frames, &run, &error);
            if (mode == 1) removeBare();
            if (mode == 2) library.uninstallHook();
            if (mode == kLibraryMode) {
                library.restoreAllToolbar(); // as a controller stops: the next child starts afresh
                library.uninstallHook();
            }
            if (!ok) return fail(error);
            runs[mode].push_back(run);
        }
    }
    std::printf("frame open to first paint, in the frame's thread; %d rounds of a child process\n"
                "opening %d Explorer then %d browser frames, in ms (later: the median of frames\n"
                "2..%d of each round); added ms and lib/none: the library against no hooks;\n"
                "lib/bare: the library against the bare hook\n\n",
                rounds, frames, frames, frames);
    printTable(runs, false);
    printTable(runs, true);
    std::printf("\nmessages to a frame's thread (sent / retrieved, medians of the rounds) and the\n"
                "library's: the sent messages it adds\n");
    printMessages(runs, "open", &ChildRun::messages);
    printMessages(runs, "hide-and-show", &ChildRun::reshow);
    const Figures none = figuresOf(runs[0], false), bare = figuresOf(runs[1], false);
    const Figures off = figuresOf(runs[2], false), with = figuresOf(runs[kLibraryMode], false);
    const unsigned sent = medianCount(runs[0], &ChildRun::messages, 0, 0);
    std::printf("later Explorer frame, medians: the bare hook adds %.2f ms (%.1f us per "
                "sent message),\n"
                "the library's hooks switched off %.2f ms, the library at work %.2f ms\n",
                bare.laterExplorer - none.laterExplorer,
                sent ? 1000 * (bare.laterExplorer - none.laterExplorer) / sent : 0.0,
                off.laterExplorer - none.laterExplorer, with.laterExplorer - none.laterExplorer);
    std::vector<double> refills, saves;
    for (const ChildRun& run : runs[0]) {
        refills.push_back(run.refillMs);
        saves.push_back(run.saveMs);
    }
    std::printf("Wine's image-list code alone (no hooks), fastest: a refill of a pair (2 x 64\n"
                "icons appended) %.2f ms; saving a pair's native icons (2 x 64 taken) %.2f ms\n",
                *std::min_element(refills.begin(), refills.end()),
                *std::min_element(saves.begin(), saves.end()));
    const ChildRun& last = runs[kLibraryMode].back();
    if (!last.counted) return fail("the library's child counted no refills");
    std::printf("\nImages the library filled in (ImageList_ReplaceIcon calls, 64 per\n"
                "ImageList_Add of a prepared strip; one refill = 2 lists x 64 slots = %d):\n"
                "  Explorer frame hidden and shown again: %u\n"
                "  browser frame hidden and shown again: %u\n"
                "  browser frame shown after a new icon set: %u\n"
                "  Explorer frame shown after a new icon set: %u (once for its process: its\n"
                "    frames share the lists)\n"
                "  browser frame shown after a new icon size: %u\n",
                2 * kSlots, last.refills[0], last.refills[1], last.refills[2], last.refills[3],
                last.refills[4]);
    std::printf("later Explorer frame, added ms: %.2f; over the bare hook: %.2f\n",
                with.laterExplorer - none.laterExplorer, with.laterExplorer - bare.laterExplorer);
    std::printf("later Explorer frame, library / bare hook: %.2f\n",
                bare.laterExplorer > 0 ? with.laterExplorer / bare.laterExplorer : 0);
    std::printf("later browser frame, library / bare hook: %.2f\n",
                bare.laterBrowser > 0 ? with.laterBrowser / bare.laterBrowser : 0);
    DestroyWindow(notify);
    return 0;
}
