// app_shots: pictures of the settings app for the README. Builds the demo's
// stand-in frames, captures them, starts tarvik.exe on a settings file, captures
// the frames again and each page of the settings window, then exits the app.
//   app_shots --settings <file.ini> --out <folder>
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "png.h"
#include "scene.h"
#include "session.h"
#include "settings.h"
#include "text.h"

using namespace demo;

namespace {

constexpr DWORD kWaitMs = 15000;
constexpr DWORD kSettleMs = 600;
constexpr const char* kPages[] = {"icons", "explorer", "browser", "menu", "general"};

int fail(const std::string& problem) {
    std::fprintf(stderr, "app_shots: %s\n", problem.c_str());
    return 1;
}

std::string savePng(const std::string& path, const Picture& picture) {
    const std::vector<std::uint8_t> bytes = encodePng(picture);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "cannot write " + path;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok ? "" : "cannot write " + path;
}

void settle(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
}

// What the screen shows of a window, as the user sees it (frame included).
Picture screenPicture(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    Picture picture(box.right - box.left, box.bottom - box.top);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, box.left, box.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = pixels[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

struct Found {
    DWORD processId;
    const char* className;
    const char* title;
    HWND window;
};

HWND waitForWindow(DWORD processId, const char* className, const char* title) {
    Found found{processId, className, title, nullptr};
    for (DWORD waited = 0; waited < kWaitMs && found.window == nullptr; waited += 100) {
        EnumWindows(
            [](HWND window, LPARAM data) CALLBACK -> BOOL {
                auto& f = *reinterpret_cast<Found*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char name[64] = {}, text[128] = {};
                GetClassNameA(window, name, sizeof name);
                GetWindowTextA(window, text, sizeof text);
                if (owner == f.processId && std::strcmp(name, f.className) == 0 &&
                    std::strcmp(text, f.title) == 0)
                    f.window = window;
                return f.window == nullptr;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found.window == nullptr) settle(100);
    }
    return found.window;
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

int run(const std::string& settings, const std::string& out) {
    CreateDirectoryA(out.c_str(), nullptr);
    const std::string scratch = out + "\\capture.tmp";
    Scene scene;
    std::string problem = buildScene(scene);
    if (!problem.empty()) return fail("stand-in shell: " + problem);
    Shot before;
    problem = captureFrames(scene, scratch, "before: the native look", before);
    if (problem.empty()) problem = savePng(out + "\\frames-before.png", before.picture);
    if (!problem.empty()) return fail(problem);

    // Icon handles are process-local under Wine: the frames' process makes the icons.
    const tarvikctl::SettingsResult wanted = tarvikctl::readSettingsFile(settings);
    if (!wanted.ok) return fail(wanted.error);
    standin::wire::IconFilesReply icons{};
    const std::string handles = out + "\\icon-handles.txt";
    problem = loadHostIcons(scene, wanted.settings.iconFolder, wanted.settings.largeSize,
                            wanted.settings.smallSize, icons);
    if (problem.empty())
        problem =
            writeIconHandles(handles, icons, wanted.settings.largeSize, wanted.settings.smallSize);
    if (!problem.empty()) return fail(problem);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION app{};
    std::string command = tarvikctl::cat("\"", programFolder(), "tarvik.exe\" --settings \"",
                                         settings, "\" --icon-handles \"", handles, "\"");
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &app))
        return fail("cannot start tarvik.exe");
    HWND tray = waitForWindow(app.dwProcessId, "TarvikToolBarApp", "TarvikToolBar");
    if (tray == nullptr) return fail("tarvik.exe did not start");
    settle(1500);
    Shot after;
    problem = captureFrames(scene, scratch, "after: restyled by tarvik.exe", after);
    if (problem.empty()) problem = savePng(out + "\\frames-after.png", after.picture);
    if (!problem.empty()) return fail(problem);

    PostMessageA(tray, WM_COMMAND, 101 /* IDM_SETTINGS */, 0);
    HWND sheet = waitForWindow(app.dwProcessId, "#32770", "TarvikToolBar Settings");
    if (sheet == nullptr) return fail("the settings window did not open");
    SetWindowPos(sheet, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
    for (int page = 0; page < static_cast<int>(std::size(kPages)); ++page) {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        settle(kSettleMs);
        problem =
            savePng(tarvikctl::cat(out, "\\settings-", kPages[page], ".png"), screenPicture(sheet));
        if (!problem.empty()) return fail(problem);
        std::printf("app_shots: settings-%s.png\n", kPages[page]);
    }
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    HWND notify =
        FindWindowExA(HWND_MESSAGE, nullptr, tarvikctl::kNotifyClass, tarvikctl::kNotifyTitle);
    PostMessageA(notify, WM_CLOSE, 0, 0);
    WaitForSingleObject(app.hProcess, kWaitMs);
    CloseHandle(app.hProcess);
    CloseHandle(app.hThread);
    scene.shell.stop();
    std::printf("app_shots: frames-before.png, frames-after.png\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "--settings") != 0 || std::strcmp(argv[3], "--out") != 0)
        return fail("usage: app_shots --settings <file.ini> --out <folder>");
    return run(argv[2], argv[4]);
}
