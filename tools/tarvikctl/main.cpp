// tarvikctl: the reference controller of TarvikToolBar. Reads a settings
// file, loads the library from its own folder, applies the settings to every
// frame and keeps them applied until stopped, then undoes everything.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "exit_codes.h"
#include "icon_files.h"
#include "icon_handles.h"
#include "instance.h"
#include "library.h"
#include "companion.h"
#include "console_session.h"
#include "output.h"
#include "session.h"
#include "settings.h"
#include "text.h"

using namespace tarvikctl;

namespace {

constexpr const char* kUsage =
    "usage: tarvikctl [options] <settings.ini>\n"
    "       tarvikctl --stop | --reload | --version | --help\n"
    "\n"
    "Applies the settings to every Explorer and Internet Explorer frame through\n"
    "the library " TARVIK_DLL_NAME " (loaded from this program's folder), prints a\n"
    "line for each command chosen in the frames' context menu, and undoes everything on\n"
    "Ctrl+C, Ctrl+Break, console close, 'tarvikctl --stop' or WM_CLOSE to its\n"
    "notify window (message-only, class TarvikCtlNotify). One tarvikctl runs per\n"
    "desktop: while one runs, another refuses to start (exit code 7).\n"
    "\n"
    "options:\n"
    "  --check               check the settings file and its icon files, then exit\n"
    "  --once                apply, then undo and exit (see --hold)\n"
    "  --hold <ms>           with --once: keep running this long before undoing\n"
    "  --icon-handles <file> use icon handles listed in <file> instead of icon files.\n"
    "                        For hosts where icon handles are process-local (Wine):\n"
    "                        the frames' process makes the icons and lists them as\n"
    "                        'icon <slot> <large> <large-hot> <small> <small-hot>'\n"
    "                        lines (optional 'large-size <n>', 'small-size <n>').\n"
    "                        They are not destroyed here.\n"
    "  --replace             if a tarvikctl runs on this desktop, have it undo\n"
    "                        everything and exit first, then start\n"
    "  --stop                have the tarvikctl running on this desktop undo\n"
    "                        everything and exit, and wait for it (at most 30 s);\n"
    "                        exits 0 when none runs any more, also if none ran\n"
    "  --reload              have the tarvikctl running on this desktop read its\n"
    "                        settings file again and apply it (exit code 7 if none\n"
    "                        runs); its frames go straight to the new settings\n"
    "  --no-companion        64-bit only: do not start the 32-bit tarvikctl in x86\\\n"
    "                        (by default it restyles the 32-bit frames alongside)\n"
    "  --quiet               no progress lines; only commands and errors\n"
    "  --version             print the version\n"
    "  --help                this text\n"
    "\n"
    "exit codes: 0 ok, 1 usage, 2 settings, 3 icons, 4 library, 5 system, 6 internal,\n"
    "            7 another tarvikctl runs here (or did not stop in time; --reload: none runs)\n";

struct Options {
    bool help = false;
    bool version = false;
    bool stop = false;
    bool reload = false;
    bool replace = false;
    bool check = false;
    bool once = false;
    bool holdGiven = false;
    DWORD holdMs = 0;
    bool quiet = false;
    bool noCompanion = false;
    std::string iconHandles;
    std::string settings;
    // Set when started as a 64-bit tarvikctl's companion.
    std::string parentWindow;
    std::string parentStopEvent;
    std::string parentReloadEvent;
};

// Longest wait at the end for the output to be read.
constexpr DWORD kFlushMs = 2000;

int fail(int code, const std::string& message) {
    writeLine(Stream::Err, cat(programName(), ": error: ", message));
    return code;
}

// "" or what is wrong with the command line.
std::string parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) return false;
            target = argv[++i];
            return true;
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--stop") {
            options.stop = true;
        } else if (argument == "--reload") {
            options.reload = true;
        } else if (argument == "--replace") {
            options.replace = true;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--once") {
            options.once = true;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--hold") {
            std::string ms;
            if (!value(ms)) return "--hold needs a number of milliseconds";
            if (ms.empty() || ms.size() > 8 || ms.find_first_not_of("0123456789") != ms.npos ||
                std::stoul(ms) > kMaxHoldMs)
                return cat("--hold takes 0..", num(kMaxHoldMs), " milliseconds, not '", ms, "'");
            options.holdGiven = true;
            options.holdMs = static_cast<DWORD>(std::stoul(ms));
        } else if (argument == "--no-companion") {
            options.noCompanion = true;
        } else if (argument == kCompanionOption) {
            if (!value(options.parentWindow) || !value(options.parentStopEvent) ||
                !value(options.parentReloadEvent))
                return cat(kCompanionOption, " needs a window and two events");
        } else if (argument == "--icon-handles") {
            if (!value(options.iconHandles) || options.iconHandles.empty())
                return "--icon-handles needs a file";
        } else if (argument.size() > 1 && argument[0] == '-') {
            return cat("unknown option ", argument);
        } else if (!options.settings.empty()) {
            return cat("more than one settings file (", options.settings, ", ", argument, ")");
        } else {
            options.settings = argument;
        }
    }
    if (options.help || options.version) return "";
    if (options.stop || options.reload) {
        const bool others = options.check || options.once || options.holdGiven || options.replace ||
                            !options.iconHandles.empty() || (options.stop && options.reload);
        if (others || !options.settings.empty())
            return options.stop ? "--stop takes no settings file and no option but --quiet"
                                : "--reload takes no settings file and no option but --quiet";
        return "";
    }
    if (options.settings.empty()) return "no settings file given";
    if (!options.parentWindow.empty() &&
        (options.check || options.once || options.replace || !options.iconHandles.empty()))
        return cat(kCompanionOption, " takes a settings file and no option but --quiet");
    if (options.replace && options.check) return "--check and --replace exclude each other";
    if (options.holdGiven && !options.once) return "--hold needs --once";
    if (options.check && options.once) return "--check and --once exclude each other";
    return "";
}

// "" once held; says so when it has to wait for another tarvikctl.
std::string takeStartLock(StartLock& lock, bool quiet) {
    if (lock.acquire(0).empty()) return "";
    note(quiet, "waiting for another tarvikctl to finish starting or stopping");
    return lock.acquire(kLockWaitMs);
}

int stopRunningInstance(bool quiet) {
    StartLock lock;
    const std::string lockProblem = takeStartLock(lock, quiet);
    if (!lockProblem.empty()) return fail(kExitRunning, lockProblem);
    const std::optional<RunningInstance> running = findRunning();
    if (!running) {
        note(quiet, "no tarvikctl is running on this desktop");
        return kExitOk;
    }
    const std::string problem = stopRunning(*running, kStopWaitMs);
    if (!problem.empty()) return fail(kExitRunning, problem);
    note(quiet, cat("stopped ", running->name, " (process ", num(running->processId), ")"));
    return kExitOk;
}

int reloadRunningInstance(bool quiet) {
    const std::optional<RunningInstance> running = findRunning();
    if (!running || running->name != "tarvikctl")
        return fail(kExitRunning, running ? cat(running->name, " takes new settings in its own "
                                                               "Settings window")
                                          : "no tarvikctl is running on this desktop");
    if (!PostMessageA(running->window, kMsgReload, 0, 0))
        return fail(kExitRunning, cat("cannot ask tarvikctl (process ", num(running->processId),
                                      ") to reload (error ", num(GetLastError()), ")"));
    note(quiet,
         cat("asked tarvikctl (process ", num(running->processId), ") to read its settings again"));
    return kExitOk;
}

// The settings file read again for a running session, with its icons; on a thread of
// its own, with copies of what it needs.
std::function<std::string(Settings&, IconSet&)> rereader(const Options& options) {
    return [file = options.settings,
            handleFile = options.iconHandles](Settings& settings, IconSet& icons) -> std::string {
        const SettingsResult read = readSettingsFile(file);
        if (!read.ok) return read.error;
        settings = read.settings;
        if (handleFile.empty()) return loadIconFiles(settings, icons);
        const IconHandlesResult handles = readIconHandlesFile(handleFile, UINTPTR_MAX);
        if (!handles.ok) return handles.error;
        borrowIconHandles(handles.handles, settings, icons);
        return "";
    };
}

// The parent holds the lock and is the one found on this desktop; the companion
// ends with it, and its library posts commands to the parent's notify window.
int runAsCompanion(const Options& options, Library& library, const SettingsResult& settings,
                   IconSet& icons) {
    setProgramName("tarvikctl (32-bit companion)");
    Parent parent;
    const std::string parentProblem = openParent(options.parentWindow, options.parentStopEvent,
                                                 options.parentReloadEvent, parent);
    if (!parentProblem.empty()) return fail(kExitUsage, parentProblem);
    SessionOptions session;
    session.quiet = options.quiet;
    session.commandWindow = parent.window;
    session.endOn = {parent.process, parent.stopEvent};
    session.reloadOn = parent.reloadEvent;
    session.reread = rereader(options);
    const std::string sessionProblem = runSession(library, settings.settings, icons, session);
    icons.release();
    library.unload();
    CloseHandle(parent.process);
    if (!sessionProblem.empty()) return fail(kExitSystem, sessionProblem);
    return kExitOk;
}

int run(int argc, char** argv) {
    Options options;
    const std::string usageProblem = parseArguments(argc, argv, options);
    if (!usageProblem.empty()) {
        fail(kExitUsage, usageProblem);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("tarvikctl %s\n", TARVIK_VERSION);
        return kExitOk;
    }
    if (options.stop) return stopRunningInstance(options.quiet);
    if (options.reload) return reloadRunningInstance(options.quiet);

    const SettingsResult settings = readSettingsFile(options.settings);
    if (!settings.ok) return fail(kExitSettings, settings.error);

    IconSet icons;
    if (!options.iconHandles.empty()) {
        const IconHandlesResult handles = readIconHandlesFile(options.iconHandles, UINTPTR_MAX);
        if (!handles.ok) return fail(kExitIcons, handles.error);
        borrowIconHandles(handles.handles, settings.settings, icons);
    } else {
        const std::string problem = loadIconFiles(settings.settings, icons);
        if (!problem.empty()) return fail(kExitIcons, problem);
    }
    if (options.check) {
        if (!options.quiet)
            std::printf("%s: ok, %d icon slots\n", options.settings.c_str(), icons.slotsInUse());
        return kExitOk;
    }

    const std::string folder = programFolder();
    if (folder.empty()) return fail(kExitSystem, "cannot find this program's own folder");
    Library library;
    const std::string libraryProblem = library.load(folder + kLibraryFileName);
    if (!libraryProblem.empty()) return fail(kExitLibrary, libraryProblem);
    if (!options.parentWindow.empty()) return runAsCompanion(options, library, settings, icons);

    StartLock lock;
    const std::string lockProblem = takeStartLock(lock, options.quiet);
    if (!lockProblem.empty()) return fail(kExitRunning, lockProblem);
    if (const std::optional<RunningInstance> running = findRunning()) {
        const std::string pid = num(running->processId);
        if (!options.replace)
            return fail(kExitRunning,
                        cat(running->name, " is already running on this desktop (process ", pid,
                            "); stop it with 'tarvikctl --stop', or start with --replace"));
        note(options.quiet, cat("stopping the running ", running->name, " (process ", pid, ")"));
        const std::string stopProblem = stopRunning(*running, kStopWaitMs);
        if (!stopProblem.empty()) return fail(kExitRunning, stopProblem);
    }

    SessionOptions session;
    session.once = options.once;
    session.holdMs = options.holdMs;
    session.quiet = options.quiet;
    session.findable = [&lock] { lock.release(); };
    session.reread = rereader(options);
#ifdef _WIN64
    if (!options.noCompanion) {
        session.companionProgram = companionProgram(folder);
        session.settingsFile = options.settings;
    }
#endif
    const std::string sessionProblem = runSession(library, settings.settings, icons, session);
    // The library is done with the icons once the toolbars are restored.
    icons.release();
    library.unload();
    if (!sessionProblem.empty()) return fail(kExitSystem, sessionProblem);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    // Exact "\n" line ends: the output is read by programs.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int code = kExitInternal;
    try {
        code = run(argc, argv);
    } catch (const std::exception& problem) {
        code = fail(kExitInternal, std::string("unexpected failure: ") + problem.what());
    } catch (...) {
        code = fail(kExitInternal, "unexpected failure");
    }
    // A reader that does not read keeps the rest: the process ends all the same.
    flushWriters(kFlushMs);
    return code;
}
