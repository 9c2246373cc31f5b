// demo_driver: the demo of TarvikToolBar. Builds an Explorer frame, an Internet
// Explorer frame and the taskbar in a stand-in shell process, runs tarvikctl on
// a settings file, and writes before.png, after.png and restored.png of the
// frames plus report.txt, read from the real controls. Exit code 0 only when
// every stage worked and every check passed.
//   demo_driver --settings <file.ini> --out <folder>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "controller.h"
#include "png.h"
#include "report.h"
#include "scene.h"
#include "settings.h"

using namespace demo;

namespace {

constexpr DWORD kApplyTimeoutMs = 20000;
constexpr DWORD kStopTimeoutMs = 20000;
constexpr char kAppliedLine[] = "tarvikctl: running;";

struct Arguments {
    std::string settings;
    std::string out;
};

DWORD startTicks = 0;

void progress(const std::string& line) {
    std::printf("demo: [%5.1f s] %s\n", (GetTickCount() - startTicks) / 1000.0, line.c_str());
    std::fflush(stdout);
}

int fail(const std::string& stage, const std::string& problem) {
    std::fprintf(stderr, "demo: FAILED at %s: %s\n", stage.c_str(), problem.c_str());
    std::fflush(stderr);
    return 1;
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::string writeFile(const std::string& path, const void* data, std::size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "cannot write " + path;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok ? "" : "cannot write " + path;
}

std::string writePng(const std::string& path, const Picture& picture) {
    const std::vector<std::uint8_t> bytes = encodePng(picture);
    // Read back what was written: a broken encoder must not pass unnoticed.
    Picture check;
    const std::string problem = decodePng(bytes, check);
    if (!problem.empty()) return path + " does not decode: " + problem;
    if (check.pixels != picture.pixels) return path + " decodes to other pixels";
    return writeFile(path, bytes.data(), bytes.size());
}

bool parse(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--settings") == 0)
            arguments.settings = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0)
            arguments.out = argv[i + 1];
        else
            return false;
    }
    return argc % 2 == 1 && !arguments.settings.empty() && !arguments.out.empty();
}

ExpectedIcons expectedIcons(Scene& scene, const standin::wire::IconFilesReply& icons, bool large) {
    ExpectedIcons expected;
    expected.given = true;
    for (int slot = 0; slot < standin::wire::kIconFileSlots; ++slot) {
        expected.normal[slot] = expected.hot[slot] = standin::kNoColor;
        HICON normal = large ? icons.largeNormal[slot] : icons.smallNormal[slot];
        HICON hot = large ? icons.largeHot[slot] : icons.smallHot[slot];
        if (normal != nullptr)
            if (auto d = scene.shell.describeIcon(normal); d && d->valid)
                expected.normal[slot] = d->centre;
        if (hot != nullptr)
            if (auto d = scene.shell.describeIcon(hot); d && d->valid)
                expected.hot[slot] = d->centre;
    }
    return expected;
}

std::string snapshot(Scene& scene, std::vector<FrameRecord>& records, Stage stage,
                     const std::string& scratch, const std::string& caption, Shot& shot) {
    for (FrameRecord& record : records) {
        const std::string problem = readState(scene, *record.frame, record.states[stage]);
        if (!problem.empty()) return record.frame->label + ": " + problem;
    }
    return captureFrames(scene, scratch, caption, shot);
}

int run(const Arguments& arguments) {
    const std::string out = arguments.out + "/";
    CreateDirectoryA(arguments.out.c_str(), nullptr);
    const std::string scratch = out + "capture.tmp";

    const tarvikctl::SettingsResult settings = tarvikctl::readSettingsFile(arguments.settings);
    if (!settings.ok) return fail("settings", settings.error);
    const tarvikctl::Settings& wanted = settings.settings;
    if (wanted.iconSource != tarvikctl::IconSource::Folder)
        return fail("settings", "the demo needs an [icons] folder of .ico files");
    progress("settings " + arguments.settings);
    const std::string settingsName =
        arguments.settings.substr(arguments.settings.find_last_of("\\/") + 1);

    Scene scene;
    if (std::string problem = buildScene(scene); !problem.empty())
        return fail("stand-in shell", problem);
    progress("stand-in shell started (process " + std::to_string(scene.shell.processId()) +
             "): an Explorer frame, an Internet Explorer frame and the taskbar");

    standin::wire::IconFilesReply icons{};
    if (std::string problem =
            loadHostIcons(scene, wanted.iconFolder, wanted.largeSize, wanted.smallSize, icons);
        !problem.empty())
        return fail("icons", problem);
    const std::string handlesFile = out + "icon-handles.txt";
    if (std::string problem =
            writeIconHandles(handlesFile, icons, wanted.largeSize, wanted.smallSize);
        !problem.empty())
        return fail("icons", problem);
    progress(std::to_string(icons.slotsLoaded) + " icon slots loaded from " + wanted.iconFolder +
             " inside the stand-in shell; handles in " + handlesFile);

    std::vector<FrameRecord> records;
    for (const SceneFrame& frame : scene.frames) {
        FrameRecord record;
        record.frame = &frame;
        const bool explorer = frame.kind == Kind::Explorer;
        record.wanted = explorer ? wanted.explorer : wanted.browser;
        record.icons = expectedIcons(scene, icons, frame.handles.imageSize > 16);
        records.push_back(record);
    }

    Shot shots[kStages];
    if (std::string problem =
            snapshot(scene, records, kBefore, scratch, "before: the native look", shots[kBefore]);
        !problem.empty())
        return fail("before", problem);
    if (std::string problem = writePng(out + "before.png", shots[kBefore].picture);
        !problem.empty())
        return fail("before", problem);
    progress("before.png written (native look)");

    ControllerRun controller;
    // The demo's frames are all of this program's bitness: no 32-bit companion.
    const std::string command = quoted(programFolder() + "tarvikctl.exe") +
                                " --no-companion --icon-handles " + quoted(handlesFile) + " " +
                                quoted(arguments.settings);
    if (std::string problem = controller.start(command, out + "tarvikctl.log"); !problem.empty())
        return fail("tarvikctl", problem);
    progress("tarvikctl started (process " + std::to_string(controller.processId()) + ")");
    if (!controller.waitForText(kAppliedLine, kApplyTimeoutMs))
        return fail("tarvikctl", "it did not apply the settings; its output:\n" + controller.log());
    progress("tarvikctl applied the settings");

    if (std::string problem =
            snapshot(scene, records, kAfter, scratch,
                     "after: restyled by tarvikctl (" + settingsName + ")", shots[kAfter]);
        !problem.empty())
        return fail("after", problem);
    if (std::string problem = writePng(out + "after.png", shots[kAfter].picture); !problem.empty())
        return fail("after", problem);
    progress("after.png written (restyled)");

    if (std::string problem = controller.requestStop(kStopTimeoutMs); !problem.empty())
        return fail("stopping tarvikctl", problem);
    if (!controller.waitForExit(kStopTimeoutMs))
        return fail("stopping tarvikctl", "it did not end; its output:\n" + controller.log());
    const std::string log = controller.log();
    if (controller.exitCode() != 0 || log.find("tarvikctl: restored") == std::string::npos ||
        log.find("tarvikctl: hooks removed") == std::string::npos)
        return fail("stopping tarvikctl",
                    "exit code " + std::to_string(controller.exitCode()) + "; its output:\n" + log);
    progress("tarvikctl restored the frames, removed its hooks and ended");

    if (std::string problem =
            snapshot(scene, records, kRestored, scratch,
                     "restored: tarvikctl undid everything and ended", shots[kRestored]);
        !problem.empty())
        return fail("restored", problem);
    if (std::string problem = writePng(out + "restored.png", shots[kRestored].picture);
        !problem.empty())
        return fail("restored", problem);
    progress("restored.png written (native look again)");

    std::string report =
        "TarvikToolBar demo: what tarvikctl changed, read from the frames' real controls\n"
        "settings: " +
        arguments.settings +
        "\n"
        "pictures: before.png, after.png, restored.png (top: the Explorer frame, bottom: the\n"
        "Internet Explorer frame)\n"
        "icons: " +
        std::to_string(icons.slotsLoaded) + " slots from " + wanted.iconFolder +
        "\n"
        "  Under Wine icon handles are process-local, so the stand-in shell's own process\n"
        "  loaded these .ico files and tarvikctl got the handles with --icon-handles\n"
        "  (icon-handles.txt). On Windows tarvikctl loads the files and passes its own handles.\n"
        "taskbar: the stand-in's \"Shell_TrayWnd\", where restoreAllToolbar_EXPIE sends its\n"
        "  last message, is " +
        std::string(FindWindowA("Shell_TrayWnd", nullptr) == scene.taskbar
                        ? "the one the library finds"
                        : "NOT the one the library finds (another is first)") +
        "\n"
        "button letters: B plain, P autosize, S separator, D drop-down, A drop-down + autosize,\n"
        "  W whole drop-down (its arrow is part of the button; the library leaves it alone).\n"
        "  Restoring gives every button that had an arrow BTNS_DROPDOWN | BTNS_AUTOSIZE.\n"
        "header widths: a restored title gets the width of its text in the default GUI font\n"
        "  (plus 24 for band 3), not the width it had before; Wine's rebar clips a title to\n"
        "  that width, and still draws part of a hidden title in the 18 pixels band 3 keeps.\n\n";
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < records.size(); ++i) {
        FrameRecord& record = records[i];
        const auto [dx, dy] = shots[kBefore].offsets[i];
        const std::vector<Region> changing =
            changingRegions(record.states[kBefore], record.states[kAfter], dx, dy);
        record.changed = compareRegions(shots[kBefore].picture, shots[kAfter].picture, changing);
        record.undone = compareRegions(shots[kAfter].picture, shots[kRestored].picture, changing);
        record.leftover =
            compareRegions(shots[kBefore].picture, shots[kRestored].picture, changing);
        report += formatFrame(record);
        const std::vector<std::string> found = checkFrame(record);
        for (const std::string& problem : found)
            problems.push_back(record.frame->label + ": " + problem);
        report += found.empty() ? "  checks: all passed\n\n" : "  checks: FAILED\n\n";
    }
    report += "controller output (tarvikctl.log):\n" + log;
    if (!problems.empty()) {
        report += "\nproblems:\n";
        for (const std::string& problem : problems)
            report += "  " + problem + "\n";
    }
    if (std::string problem = writeFile(out + "report.txt", report.data(), report.size());
        !problem.empty())
        return fail("report", problem);
    progress("report.txt written");
    scene.shell.stop();
    if (!problems.empty()) {
        for (const std::string& problem : problems)
            std::fprintf(stderr, "demo: check failed: %s\n", problem.c_str());
        return fail("checks", std::to_string(problems.size()) + " of them failed (see report.txt)");
    }
    progress("all checks passed");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    startTicks = GetTickCount();
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fputs("usage: demo_driver --settings <file.ini> --out <folder>\n", stderr);
        return 2;
    }
    return run(arguments);
}
