// The icon suites' shared fixtures.
#include "icon_fixtures.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace icontest {

namespace {

std::string hex(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%06lx", static_cast<unsigned long>(colour));
    return text;
}

::testing::AssertionResult compare(int count, int cx, int cy, const std::vector<COLORREF>& seen,
                                   const ListContents& expected) {
    const bool sizeOk = cx == expected.size && cy == expected.size;
    const bool countOk = count == static_cast<int>(expected.centres.size());
    const bool coloursOk = countOk && seen == expected.centres;
    if (sizeOk && countOk && coloursOk) return ::testing::AssertionSuccess();
    std::ostringstream report;
    report << "list holds " << count << " images of " << cx << "x" << cy << ", expected "
           << expected.centres.size() << " of " << expected.size << "x" << expected.size << "\n";
    const size_t rows = std::max(seen.size(), expected.centres.size());
    for (size_t i = 0; i < rows; ++i) {
        const std::string got = i < seen.size() ? hex(seen[i]) : "-";
        const std::string want = i < expected.centres.size() ? hex(expected.centres[i]) : "-";
        report << "  image " << i << ": " << got << (got == want ? "" : "  expected " + want)
               << "\n";
    }
    return ::testing::AssertionFailure() << report.str();
}

} // namespace

COLORREF controllerColor(int slot, bool hot, int set) {
    // Channels stay below 100: every native colour has a channel of 150 or more.
    return RGB(10 + slot, hot ? 70 : 40, 20 + 20 * set + (hot ? 5 : 0));
}

ControllerIcons::ControllerIcons(int size, std::initializer_list<int> normalSlots,
                                 std::initializer_list<int> hotSlots, int set) {
    for (int slot : normalSlots)
        normal_[slot] = standin::createSolidIcon(size, controllerColor(slot, false, set));
    for (int slot : hotSlots)
        hot_[slot] = standin::createSolidIcon(size, controllerColor(slot, true, set));
}

ControllerIcons ControllerIcons::full(int size, int set) {
    ControllerIcons icons;
    for (int slot = 0; slot < kSlots; ++slot) {
        icons.normal_[slot] = standin::createSolidIcon(size, controllerColor(slot, false, set));
        icons.hot_[slot] = standin::createSolidIcon(size, controllerColor(slot, true, set));
    }
    return icons;
}

ControllerIcons::~ControllerIcons() {
    for (HICON icon : all())
        DestroyIcon(icon);
}

std::vector<HICON> ControllerIcons::all() const {
    std::vector<HICON> icons;
    for (const auto* table : {&normal_, &hot_})
        for (HICON icon : *table)
            if (icon != nullptr) icons.push_back(icon);
    return icons;
}

bool ControllerIcons::allAlive() const {
    for (HICON icon : all()) {
        ICONINFO info{};
        if (!GetIconInfo(icon, &info)) return false;
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    }
    return true;
}

Frame::Frame(const standin::FrameOptions& options) : handles_(standin::createFrame(options)) {}

Frame::~Frame() {
    if (IsWindow(handles_.frame)) DestroyWindow(handles_.frame);
}

standin::FrameOptions explorerOptions(int imageSize, int imageCount) {
    standin::FrameOptions options;
    options.frameClass = standin::FrameClass::Explorer;
    options.imageSize = imageSize;
    options.imageCount = imageCount;
    options.visible = false;
    return options;
}

standin::FrameOptions browserOptions(int imageSize, int imageCount) {
    standin::FrameOptions options = explorerOptions(imageSize, imageCount);
    options.frameClass = standin::FrameClass::Browser;
    return options;
}

HIMAGELIST normalListOf(HWND toolbar) {
    return reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
}

HIMAGELIST hotListOf(HWND toolbar) {
    return reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
}

std::vector<COLORREF> nativeColours(int count, bool hot) {
    std::vector<COLORREF> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(standin::nativeColor(i, hot));
    return colours;
}

std::vector<COLORREF> mixedColours(int count, bool hot, std::initializer_list<int> controller,
                                   int set) {
    std::vector<COLORREF> colours = nativeColours(count, hot);
    for (int slot : controller)
        colours[slot] = controllerColor(slot, hot, set);
    return colours;
}

::testing::AssertionResult listHolds(HIMAGELIST list, const ListContents& expected) {
    if (list == nullptr) return ::testing::AssertionFailure() << "no image list";
    return listHolds(standin::describeImageList(list), expected);
}

::testing::AssertionResult listHolds(const standin::ImageListInfo& info,
                                     const ListContents& expected) {
    if (info.list == nullptr) return ::testing::AssertionFailure() << "no image list";
    std::vector<COLORREF> seen(info.centre, info.centre + info.described);
    return compare(info.count, info.cx, info.cy, seen, expected);
}

SIZE iconSizeOf(HIMAGELIST list) {
    int cx = 0, cy = 0;
    if (list == nullptr || !ImageList_GetIconSize(list, &cx, &cy)) return SIZE{0, 0};
    return SIZE{cx, cy};
}

HIMAGELIST freshNativeList(int size, int count, bool hot) {
    return standin::createNativeImageList(size, count, hot);
}

} // namespace icontest
