// soak_driver.exe: a long run of the library's whole life on a busy desktop. Three
// stand-in shell processes (the Explorer process with the taskbar and two browser
// processes) whose frames are closed and opened all the time; a controller process
// that applies a new icon set, hides and shows every band and restores, cycle after
// cycle, and is killed and started again every few dozen cycles. Every few cycles each
// process counts its GDI and USER objects, handles and private bytes, and every
// frame's look is read from its controls after the apply and after the restore.
//   soak_driver [--cycles N | --minutes M] [--check-every N] [--restart-every N]
//               [--churn-every N] [--leak-icon] [--table FILE]
// Exit code 0: no GDI or USER object gained and every look right; 1: not so; 2: set-up.
#include <windows.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "census_table.h"
#include "controller_process.h"
#include "library_under_test.h"
#include "look.h"
#include "pump.h"

namespace {

constexpr int kHosts = 3;
constexpr int kLargeSize = 20; // the controller's sizes differ from the natives (24, 16)
constexpr int kSmallSize = 14;
constexpr int kIconSlots = 12; // slot 0 stays native: it tells the size class
constexpr DWORD kCloseMs = 30000;

struct Options {
    int cycles = 0; // 0: run for `minutes`
    int minutes = 60;
    int checkEvery = 10;
    int restartEvery = 50;
    int churnEvery = 1; // 0: frames are never closed and opened
    bool leakIcon = false;
    std::string tableFile;
};

struct Frame {
    int host;
    int thread;
    standin::FrameOptions options;
    standin::FrameHandles handles{};
    soak::Look native;
};

// The controller's icons of one cycle, made in one host.
struct IconSet {
    int host = -1;
    std::vector<HICON> icons;
    std::vector<COLORREF> colours[4]; // large, large hot, small, small hot; by slot (0 unused)
};

int failures = 0;

void fail(const std::string& what) {
    ++failures;
    if (failures <= 40) std::printf("FAIL: %s\n", what.c_str());
    if (failures == 40) std::printf("(further failures counted, not printed)\n");
    std::fflush(stdout);
}

bool parse(int count, char** values, Options& options) {
    for (int i = 1; i < count; ++i) {
        const std::string arg = values[i];
        const bool more = i + 1 < count;
        if (arg == "--cycles" && more)
            options.cycles = std::atoi(values[++i]);
        else if (arg == "--minutes" && more)
            options.minutes = std::atoi(values[++i]);
        else if (arg == "--check-every" && more)
            options.checkEvery = std::atoi(values[++i]);
        else if (arg == "--restart-every" && more)
            options.restartEvery = std::atoi(values[++i]);
        else if (arg == "--churn-every" && more)
            options.churnEvery = std::atoi(values[++i]);
        else if (arg == "--leak-icon")
            options.leakIcon = true;
        else if (arg == "--table" && more)
            options.tableFile = values[++i];
        else
            return false;
    }
    return options.checkEvery > 0 && options.restartEvery > 0 && options.minutes > 0 &&
           options.cycles >= 0 && options.churnEvery >= 0;
}

// Explorer's frames live in the taskbar's process and share the shell's lists; each
// browser process has a large and a small frame. An "IEFrame" with a "CommandBarClass"
// child is no frame of the library's: it must keep its native look throughout.
std::vector<Frame> frameLayout() {
    using standin::FrameClass;
    struct Plan {
        int host, thread;
        FrameClass frameClass;
        bool large;
    };
    const Plan plans[] = {
        {0, 0, FrameClass::Explorer, true}, {0, 1, FrameClass::ExplorerTree, false},
        {0, 1, FrameClass::Explorer, true}, {1, 0, FrameClass::Browser, true},
        {1, 1, FrameClass::Browser, false}, {2, 0, FrameClass::BrowserWithCommandBar, true},
        {2, 1, FrameClass::Browser, false}};
    std::vector<Frame> frames;
    int index = 0;
    for (const Plan& plan : plans) {
        Frame frame{plan.host, plan.thread, {}, {}, {}};
        frame.options.frameClass = plan.frameClass;
        frame.options.large = plan.large;
        frame.options.shareImageLists = plan.host == 0;
        // The shell's arrow buttons are auto-sized, as the library gives the arrows back.
        std::strcpy(frame.options.buttons, "A A B S B B S W");
        frame.options.width = 420;
        frame.options.height = 260;
        frame.options.x = 10 + (index % 4) * 200;
        frame.options.y = 10 + (index / 4) * 300;
        frames.push_back(frame);
        ++index;
    }
    return frames;
}

// Makes the frame, hidden, and reads its native look.
std::string openFrame(std::vector<standin::RemoteShell>& hosts, Frame& frame) {
    frame.options.visible = false;
    auto made = hosts[frame.host].createFrame(frame.options, frame.thread);
    if (!made) return made.error;
    frame.handles = *made;
    return standin::readFrameLook(hosts[frame.host], frame.handles, frame.native);
}

std::string closeFrame(std::vector<standin::RemoteShell>& hosts, const Frame& frame) {
    auto closed = hosts[frame.host].postClose(frame.handles.frame);
    if (!closed) return closed.error;
    const HWND window = frame.handles.frame;
    if (!tarvik::test::pumpUntil([window] { return !IsWindow(window); }, kCloseMs))
        return "the frame did not close";
    return "";
}

std::string makeIcons(std::vector<standin::RemoteShell>& hosts, int cycle, IconSet& set) {
    set.host = cycle % kHosts;
    std::vector<COLORREF> all;
    for (int table = 0; table < 4; ++table) {
        set.colours[table].assign(kIconSlots, 0);
        for (int slot = 1; slot < kIconSlots; ++slot) {
            const int shade = 30 + (cycle * 37 + table * 50) % 190;
            set.colours[table][slot] =
                table % 2 == 0 ? RGB(shade, 12 * slot, 220) : RGB(220, 12 * slot, shade);
            all.push_back(set.colours[table][slot]);
        }
    }
    // One size for all four tables: the lists scale them to the configured sizes.
    auto icons = hosts[set.host].createIcons(24, all);
    if (!icons) return icons.error;
    set.icons = *icons;
    return "";
}

soak::IconsCommand iconsCommand(const IconSet& set) {
    soak::IconsCommand command{};
    const int per = kIconSlots - 1;
    for (int slot = 1; slot < kIconSlots; ++slot) {
        command.large[slot] = reinterpret_cast<UINT_PTR>(set.icons[slot - 1]);
        command.largeHot[slot] = reinterpret_cast<UINT_PTR>(set.icons[per + slot - 1]);
        command.small[slot] = reinterpret_cast<UINT_PTR>(set.icons[2 * per + slot - 1]);
        command.smallHot[slot] = reinterpret_cast<UINT_PTR>(set.icons[3 * per + slot - 1]);
    }
    command.largeSize = kLargeSize;
    command.smallSize = kSmallSize;
    return command;
}

std::string frameName(const Frame& frame) {
    return "host " + std::to_string(frame.host) + " frame " +
           std::to_string(reinterpret_cast<UINT_PTR>(frame.handles.frame));
}

void checkApplied(std::vector<standin::RemoteShell>& hosts, const std::vector<Frame>& frames,
                  const IconSet& set, int cycle, const char* moment) {
    for (const Frame& frame : frames) {
        soak::Look now;
        std::string error = standin::readFrameLook(hosts[frame.host], frame.handles, now);
        if (error.empty() &&
            frame.options.frameClass == standin::FrameClass::BrowserWithCommandBar) {
            error = soak::differsFromNative(frame.native, now);
        } else if (error.empty()) {
            const bool large = frame.options.large;
            soak::Applied applied{large ? kLargeSize : kSmallSize, &set.colours[large ? 0 : 2],
                                  &set.colours[large ? 1 : 3], frame.host == set.host};
            error = soak::differsFromApplied(frame.native, now, applied);
        }
        if (!error.empty())
            fail("cycle " + std::to_string(cycle) + " " + moment + ": " + frameName(frame) + ": " +
                 error);
    }
}

void checkNative(std::vector<standin::RemoteShell>& hosts, const std::vector<Frame>& frames,
                 int cycle) {
    for (const Frame& frame : frames) {
        soak::Look now;
        std::string error = standin::readFrameLook(hosts[frame.host], frame.handles, now);
        if (error.empty()) error = soak::differsFromNative(frame.native, now);
        if (!error.empty())
            fail("cycle " + std::to_string(cycle) + " after restore: " + frameName(frame) + ": " +
                 error);
    }
}

// Windows removes a thread's hooks when the thread ends; Wine keeps a dead thread's
// hooks in every chain. The handles are still in the library's block: remove what is
// left of them, as Windows would have. Returns how many were still there.
int removeHooksOfTheDead(LibraryUnderTest& library) {
    SharedState& block = *library.shared;
    int removed = 0;
    for (HHOOK hook : {block.hookCallWndProc, block.hookCallWndProcRet, block.hookGetMessage,
                       block.hookMouse, block.hookKeyboard, block.hookKeyboardLL})
        if (hook != nullptr && UnhookWindowsHookEx(hook)) ++removed;
    return removed;
}

bool session(soak::ControllerProcess& controller, const soak::IconsCommand& icons) {
    return controller.command(soak::Command::SetIcons, &icons, sizeof icons) &&
           controller.command(soak::Command::Apply);
}

} // namespace

int main(int count, char** values) {
    Options options;
    if (!parse(count, values, options)) {
        std::fprintf(stderr,
                     "usage: soak_driver [--cycles N | --minutes M] [--check-every N] "
                     "[--restart-every N] [--churn-every N] [--leak-icon] [--table FILE]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    LibraryUnderTest library;
    std::string error;
    if (!library.load(&error, StartFrom::AsFound)) {
        std::printf("set-up: %s\n", error.c_str());
        return 2;
    }
    std::vector<standin::RemoteShell> hosts(kHosts);
    standin::HostOptions hostOptions;
    hostOptions.threads = 2;
    hostOptions.arguments = options.leakIcon ? "--leak-icon" : "";
    for (auto& host : hosts)
        if (!host.start(hostOptions)) {
            std::printf("set-up: %s\n", host.lastError().c_str());
            return 2;
        }
    if (auto taskbar = hosts[0].createTaskbar(); !taskbar) {
        std::printf("set-up: %s\n", taskbar.error.c_str());
        return 2;
    }
    // The pointer away from every frame: a toolbar under it makes and drops windows of
    // its own (tooltips) as frames come and go, wherever an earlier program left it.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    std::vector<Frame> frames = frameLayout();
    // Opened hidden and then shown, as every frame opened later, so that a census
    // compares frames made the same way.
    for (Frame& frame : frames) {
        std::string opened = openFrame(hosts, frame);
        if (opened.empty())
            opened = hosts[frame.host].showWindow(frame.handles.frame, SW_SHOWNA).error;
        if (!opened.empty()) {
            std::printf("set-up: %s\n", opened.c_str());
            return 2;
        }
    }
    soak::ControllerProcess controller;
    if (std::string started = controller.start(); !started.empty()) {
        std::printf("set-up: %s\n", started.c_str());
        return 2;
    }

    soak::CensusTable table({"host 0", "host 1", "host 2", "controller"});
    int controllerLife = 0, deadHooks = 0, restarts = 0;
    const auto start = std::chrono::steady_clock::now();
    auto minutes = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
               60.0;
    };
    std::printf("soak: %d frames in %d hosts, %s; census every %d cycles, controller restarted "
                "every %d%s\n",
                static_cast<int>(frames.size()), kHosts,
                options.cycles > 0 ? (std::to_string(options.cycles) + " cycles").c_str()
                                   : (std::to_string(options.minutes) + " minutes").c_str(),
                options.checkEvery, options.restartEvery,
                options.leakIcon ? "; hosts leak an icon per icon set" : "");
    int cycle = 1;
    int waiting = -1; // a frame opened hidden after the last restore, shown after the apply
    for (;; ++cycle) {
        if (options.cycles > 0
                ? cycle > options.cycles
                : (cycle - 1) % options.checkEvery == 0 && minutes() >= options.minutes)
            break;
        IconSet set;
        if (std::string made = makeIcons(hosts, cycle, set); !made.empty()) {
            fail("cycle " + std::to_string(cycle) + ": icons: " + made);
            break;
        }
        const soak::IconsCommand icons = iconsCommand(set);
        if (!session(controller, icons)) fail("cycle " + std::to_string(cycle) + ": apply");
        if (waiting >= 0) {
            hosts[frames[waiting].host].showWindow(frames[waiting].handles.frame, SW_SHOWNA);
            waiting = -1;
        }
        if (!controller.command(soak::Command::HideAll)) fail("hide");
        // Reading every frame back costs about as much as the cycle itself: the looks are
        // checked with each census, and whenever the controller is started again.
        const bool check = cycle % options.checkEvery == 0;
        const bool restart = cycle % options.restartEvery == 0;
        if (check || restart) checkApplied(hosts, frames, set, cycle, "applied");
        if (restart) {
            controller.kill();
            const int left = removeHooksOfTheDead(library);
            deadHooks += left;
            ++restarts;
            ++controllerLife;
            std::printf("cycle %d: controller killed; %d of its hooks outlived it\n", cycle, left);
            if (std::string started = controller.start(); !started.empty()) {
                fail("restart: " + started);
                break;
            }
            if (!session(controller, icons) || !controller.command(soak::Command::HideAll))
                fail("cycle " + std::to_string(cycle) + ": the new controller's apply");
            checkApplied(hosts, frames, set, cycle, "applied by the new controller");
        }
        if (!controller.command(soak::Command::ShowAll)) fail("show");
        if (!controller.command(soak::Command::RestoreAll)) fail("restore");
        if (check || restart) checkNative(hosts, frames, cycle);
        if (auto gone = hosts[set.host].destroyIcons(set.icons); !gone)
            fail("destroying the icon set: " + gone.error);
        if (check) {
            std::vector<tarvik::test::GuiCensus> row;
            for (auto& host : hosts) {
                auto census = host.call<tarvik::test::GuiCensus>(standin::wire::Request::GuiCensus);
                if (!census) fail("census: " + census.error);
                row.push_back(*census);
            }
            tarvik::test::GuiCensus mine{};
            if (!controller.census(mine)) fail("the controller's census");
            row.push_back(mine);
            table.add(cycle, row, {0, 0, 0, controllerLife});
            std::printf("cycle %d (%.1f min): GDI %u %u %u %u, USER %u %u %u %u\n", cycle,
                        minutes(), tarvik::test::gdiObjects(row[0]),
                        tarvik::test::gdiObjects(row[1]), tarvik::test::gdiObjects(row[2]),
                        tarvik::test::gdiObjects(row[3]), tarvik::test::userObjects(row[0]),
                        tarvik::test::userObjects(row[1]), tarvik::test::userObjects(row[2]),
                        tarvik::test::userObjects(row[3]));
        }

        // One frame closed and another opened in its place, shown at the next apply.
        if (options.churnEvery == 0 || cycle % options.churnEvery != 0) continue;
        const int churn = cycle % static_cast<int>(frames.size());
        if (std::string closed = closeFrame(hosts, frames[churn]); !closed.empty())
            fail("cycle " + std::to_string(cycle) + ": close: " + closed);
        frames[churn].options.x = 10 + (cycle * 37) % 600;
        if (std::string opened = openFrame(hosts, frames[churn]); !opened.empty()) {
            fail("cycle " + std::to_string(cycle) + ": open: " + opened);
            break;
        }
        waiting = churn;
    }
    const int cycles = cycle - 1;
    if (!controller.stop()) fail("the controller did not end by itself");
    for (auto& host : hosts)
        host.stop();

    std::string report = table.table() + "\n" + table.growthTable() + table.sources();
    char line[256];
    std::snprintf(line, sizeof line,
                  "%d cycles in %.1f minutes; controller killed %d times, %d hooks of the dead "
                  "kept by the system and removed by the driver; %d failed checks\n",
                  cycles, minutes(), restarts, deadHooks, failures);
    report += line;
    const bool grew = !table.noGdiOrUserGrowth();
    if (table.empty()) fail("no census taken: fewer cycles than --check-every");
    report += grew            ? "result: GDI or USER objects grew\n"
              : failures == 0 ? "result: no GDI or USER growth, every look right\n"
                              : "result: no GDI or USER growth, but checks failed\n";
    std::printf("\n%s", report.c_str());
    if (!options.tableFile.empty())
        if (FILE* file = std::fopen(options.tableFile.c_str(), "w")) {
            std::fputs(report.c_str(), file);
            std::fclose(file);
        }
    return grew || failures != 0 ? 1 : 0;
}
