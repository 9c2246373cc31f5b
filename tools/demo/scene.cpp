// Building the demo's frames in the stand-in shell and reading them back.
#include "scene.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace demo {

namespace {

constexpr int kMargin = 12;
constexpr int kCaptionHeight = 30;
constexpr int kLabelHeight = 22;
constexpr COLORREF kBackdrop = RGB(0x3A, 0x6E, 0xA5);

standin::FrameOptions explorerOptions() {
    standin::FrameOptions options;
    options.frameClass = standin::FrameClass::Explorer;
    options.large = true;
    options.x = 16;
    options.y = 16;
    options.width = 860;
    options.height = 236;
    std::strcpy(options.buttons, "A D B S B B S P B");
    std::strcpy(options.title, "Explorer frame (CabinetWClass), large icons");
    options.undrawnHiddenTitles = true; // the pictures show what Windows draws
    return options;
}

standin::FrameOptions browserOptions() {
    standin::FrameOptions options;
    options.frameClass = standin::FrameClass::Browser;
    options.large = false;
    options.x = 16;
    options.y = 290;
    options.width = 860;
    options.height = 236;
    std::strcpy(options.buttons, "D D S B B B S B P P S A");
    std::strcpy(options.title, "Internet Explorer frame (IEFrame), small icons");
    options.undrawnHiddenTitles = true;
    return options;
}

Area windowArea(HWND window, POINT origin) {
    RECT rect{};
    if (window == nullptr || !GetWindowRect(window, &rect) || !IsWindowVisible(window)) return {};
    return {rect.left - origin.x, rect.top - origin.y, rect.right - origin.x,
            rect.bottom - origin.y};
}

// Lays the frames' pictures out under their labels, with GDI drawing the text.
std::string compose(const std::vector<Picture>& parts, const std::vector<std::string>& labels,
                    const std::string& caption, Shot& shot) {
    int width = 0, height = kCaptionHeight;
    for (const Picture& part : parts) {
        width = std::max(width, part.width + 2 * kMargin);
        height += kLabelHeight + part.height + kMargin;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    if (bitmap == nullptr || dc == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (dc != nullptr) DeleteDC(dc);
        return "no bitmap for the pictures";
    }
    HGDIOBJ keptBitmap = SelectObject(dc, bitmap);
    HGDIOBJ keptFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    HBRUSH backdrop = CreateSolidBrush(kBackdrop);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, backdrop);
    DeleteObject(backdrop);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT captionRect{kMargin, 0, width - kMargin, kCaptionHeight};
    DrawTextA(dc, caption.c_str(), -1, &captionRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    shot.offsets.clear();
    int y = kCaptionHeight;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        RECT labelRect{kMargin, y, width - kMargin, y + kLabelHeight};
        DrawTextA(dc, labels[i].c_str(), -1, &labelRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        y += kLabelHeight;
        shot.offsets.emplace_back(kMargin, y);
        y += parts[i].height + kMargin;
    }
    GdiFlush();
    shot.picture = Picture(width, height);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < shot.picture.pixels.size(); ++i)
        shot.picture.pixels[i] = pixels[i] & 0x00FFFFFF;
    SelectObject(dc, keptFont);
    SelectObject(dc, keptBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    for (std::size_t i = 0; i < parts.size(); ++i)
        paste(shot.picture, parts[i], shot.offsets[i].first, shot.offsets[i].second);
    return "";
}

} // namespace

std::string buildScene(Scene& scene) {
    if (!scene.shell.start()) return "the stand-in shell did not start: " + scene.shell.lastError();
    const std::pair<Kind, standin::FrameOptions> wanted[] = {{Kind::Explorer, explorerOptions()},
                                                             {Kind::Browser, browserOptions()}};
    for (const auto& [kind, options] : wanted) {
        auto made = scene.shell.createFrame(options);
        if (!made) return "a frame could not be made: " + made.error;
        scene.frames.push_back({kind, options.title, *made});
    }
    auto taskbar = scene.shell.createTaskbar();
    if (!taskbar) return "the taskbar could not be made: " + taskbar.error;
    scene.taskbar = *taskbar;
    return "";
}

std::string readState(Scene& scene, const SceneFrame& frame, FrameState& state) {
    auto bands = scene.shell.bands(frame.handles.rebar);
    if (!bands) return "bands: " + bands.error;
    auto buttons = scene.shell.buttons(frame.handles.mainToolbar);
    if (!buttons) return "buttons: " + buttons.error;
    auto normal = scene.shell.imageList(frame.handles.mainToolbar, false);
    if (!normal) return "image list: " + normal.error;
    auto hot = scene.shell.imageList(frame.handles.mainToolbar, true);
    if (!hot) return "hot image list: " + hot.error;
    state.bands = *bands;
    state.buttons = *buttons;
    state.normal = *normal;
    state.hot = *hot;
    POINT origin{0, 0};
    ClientToScreen(frame.handles.frame, &origin);
    state.rebar = windowArea(frame.handles.rebar, origin);
    state.toolbar = windowArea(frame.handles.mainToolbar, origin);
    return "";
}

std::string captureFrames(Scene& scene, const std::string& scratch, const std::string& caption,
                          Shot& shot) {
    std::vector<Picture> parts;
    std::vector<std::string> labels;
    for (const SceneFrame& frame : scene.frames) {
        standin::wire::CaptureBody body{};
        body.window = frame.handles.frame;
        std::snprintf(body.path, sizeof body.path, "%s", scratch.c_str());
        auto captured = scene.shell.call<standin::wire::CaptureReply>(
            standin::wire::Request::CaptureWindow, body);
        if (!captured) return "capture of the " + frame.label + ": " + captured.error;
        Picture part;
        const std::string problem = readCapture(scratch, part);
        DeleteFileA(scratch.c_str());
        if (!problem.empty()) return problem;
        parts.push_back(std::move(part));
        labels.push_back(frame.label);
    }
    return compose(parts, labels, caption, shot);
}

std::string loadHostIcons(Scene& scene, const std::string& folder, int largeSize, int smallSize,
                          standin::wire::IconFilesReply& icons) {
    standin::wire::IconFilesBody body{};
    std::snprintf(body.folder, sizeof body.folder, "%s", folder.c_str());
    body.largeSize = largeSize;
    body.smallSize = smallSize;
    auto loaded = scene.shell.call<standin::wire::IconFilesReply>(
        standin::wire::Request::LoadIconFiles, body);
    if (!loaded) return "icons from " + folder + ": " + loaded.error;
    if (loaded->slotsLoaded == 0) return "no icon file could be loaded from " + folder;
    icons = *loaded;
    return "";
}

std::string writeIconHandles(const std::string& path, const standin::wire::IconFilesReply& icons,
                             int largeSize, int smallSize) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return "cannot write " + path;
    std::fprintf(file,
                 "# Icons made by the stand-in shell (process-local handles under Wine).\n"
                 "large-size %d\nsmall-size %d\n",
                 largeSize, smallSize);
    auto hex = [](HICON icon) {
        return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(icon));
    };
    for (int slot = 0; slot < standin::wire::kIconFileSlots; ++slot) {
        if (!icons.largeNormal[slot] && !icons.largeHot[slot] && !icons.smallNormal[slot] &&
            !icons.smallHot[slot])
            continue;
        std::fprintf(file, "icon %d %#llx %#llx %#llx %#llx\n", slot, hex(icons.largeNormal[slot]),
                     hex(icons.largeHot[slot]), hex(icons.smallNormal[slot]),
                     hex(icons.smallHot[slot]));
    }
    return std::fclose(file) == 0 ? "" : "cannot write " + path;
}

const standin::BandRecord* findBand(const FrameState& state, UINT id) {
    for (const standin::BandRecord& band : state.bands)
        if (band.wID == id) return &band;
    return nullptr;
}

} // namespace demo
