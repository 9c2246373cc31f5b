// Icons made from real files on disk: the folder of slot files and the BMP
// strips give real HICONs of both sizes with the files' pixels; missing files
// leave null slots; bad files, folders and locks are errors naming the path;
// owned icons are destroyed on release and borrowed handles never are.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "icon_files.h"
#include "temp_folder.h"
#include "test_images.h"

using namespace tarvikctl;
using tarvik::test::TempFolder;
using tarvik::test::writeFile;

namespace {

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // top-down 0xAARRGGBB

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The colour bitmap of an icon as 32-bit pixels; empty if it is no icon.
IconPixels readIcon(HICON icon) {
    IconPixels result;
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return result;
    BITMAP bitmap{};
    if (info.hbmColor != nullptr && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap)) {
        result.width = bitmap.bmWidth;
        result.height = bitmap.bmHeight;
        result.pixels.resize(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
        BITMAPINFO request{};
        request.bmiHeader.biSize = sizeof request.bmiHeader;
        request.bmiHeader.biWidth = bitmap.bmWidth;
        request.bmiHeader.biHeight = -bitmap.bmHeight;
        request.bmiHeader.biPlanes = 1;
        request.bmiHeader.biBitCount = 32;
        request.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, result.pixels.data(), &request,
                  DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return result;
}

bool isIcon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return true;
}

tarvik::test::PixelFn solid(std::uint32_t colour) {
    return [colour](int, int) { return colour; };
}

Settings folderSettings(const std::string& folder) {
    Settings settings;
    settings.iconSource = IconSource::Folder;
    settings.iconFolder = folder;
    settings.largeSize = 24;
    settings.smallSize = 16;
    return settings;
}

Settings stripSettings(const std::string& strip, const std::string& hotStrip = "") {
    Settings settings;
    settings.iconSource = IconSource::Strip;
    settings.strip = strip;
    settings.hotStrip = hotStrip;
    settings.largeSize = 20;
    settings.smallSize = 10;
    return settings;
}

TEST(IconFiles, FolderGivesBothSizesAndLeavesGapsNull) {
    TempFolder folder;
    ASSERT_TRUE(
        writeFile(folder.file("00.ico"), tarvik::test::makeIco({16, 24}, solid(0xFF336699))));
    ASSERT_TRUE(
        writeFile(folder.file("hot-00.ico"), tarvik::test::makeIco({16, 24}, solid(0xFF10A020))));
    ASSERT_TRUE(writeFile(folder.file("02.ico"), tarvik::test::makeIco({32}, solid(0xFF808080))));
    ASSERT_TRUE(
        writeFile(folder.file("hot-63.ico"), tarvik::test::makeIco({16}, solid(0xFF000000))));
    ASSERT_TRUE(writeFile(folder.file("64.ico"), std::string("not a slot, never read")));
    ASSERT_TRUE(writeFile(folder.file("notes.txt"), std::string("ignored")));

    IconSet icons;
    ASSERT_EQ(loadIconFiles(folderSettings(folder.path()), icons), "");
    EXPECT_TRUE(icons.owned);
    EXPECT_EQ(icons.slotsInUse(), 3);
    EXPECT_EQ(icons.largeSize, 24);
    EXPECT_EQ(icons.smallSize, 16);

    const IconPixels large = readIcon(icons.large[0]);
    EXPECT_EQ(large.width, 24);
    EXPECT_EQ(large.height, 24);
    ASSERT_FALSE(large.pixels.empty());
    EXPECT_EQ(large.at(5, 5) & 0xFFFFFF, 0x336699u);
    const IconPixels small = readIcon(icons.small[0]);
    EXPECT_EQ(small.width, 16);
    ASSERT_FALSE(small.pixels.empty());
    EXPECT_EQ(small.at(3, 3) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(readIcon(icons.largeHot[0]).at(1, 1) & 0xFFFFFF, 0x10A020u);
    EXPECT_EQ(readIcon(icons.large[2]).width, 24) << "one 32 px image, scaled to the size asked";
    EXPECT_EQ(readIcon(icons.small[2]).width, 16);

    EXPECT_EQ(icons.large[1], nullptr);
    EXPECT_EQ(icons.largeHot[1], nullptr);
    EXPECT_EQ(icons.largeHot[2], nullptr) << "no hot-02.ico";
    EXPECT_EQ(icons.large[63], nullptr);
    EXPECT_NE(icons.largeHot[63], nullptr);
    EXPECT_NE(icons.smallHot[63], nullptr);
}

TEST(IconFiles, FolderProblemsNameThePath) {
    TempFolder folder;
    IconSet icons;
    const std::string absent = folder.file("absent");
    std::string problem = loadIconFiles(folderSettings(absent), icons);
    EXPECT_EQ(problem.rfind(absent + ": icon folder not found", 0), 0u) << problem;

    ASSERT_TRUE(writeFile(folder.file("plain"), std::string("x")));
    problem = loadIconFiles(folderSettings(folder.file("plain")), icons);
    EXPECT_EQ(problem, folder.file("plain") + ": not a folder");

    ASSERT_TRUE(tarvik::test::makeFolder(folder.file("empty")));
    problem = loadIconFiles(folderSettings(folder.file("empty")), icons);
    EXPECT_EQ(problem.rfind(folder.file("empty") + ": no icon files", 0), 0u) << problem;

    // A damaged slot file stops everything; what was made so far is destroyed.
    const std::string set = folder.file("set");
    ASSERT_TRUE(writeFile(set + "\\00.ico", tarvik::test::makeIco({16}, solid(0xFF000000))));
    ASSERT_TRUE(writeFile(set + "\\03.ico", std::string("\0\0\1\0garbage", 11)));
    problem = loadIconFiles(folderSettings(set), icons);
    EXPECT_EQ(problem.rfind(set + "\\03.ico: ", 0), 0u) << problem;
    EXPECT_EQ(icons.slotsInUse(), 0);

    const std::string other = folder.file("other");
    ASSERT_TRUE(tarvik::test::makeFolder(other + "\\hot-07.ico"));
    problem = loadIconFiles(folderSettings(other), icons);
    EXPECT_EQ(problem, other + "\\hot-07.ico: a folder, not an icon file");

    // A file another program holds without sharing cannot be read.
    const std::string locked = folder.file("locked");
    ASSERT_TRUE(writeFile(locked + "\\01.ico", tarvik::test::makeIco({16}, solid(0xFF000000))));
    HANDLE hold = CreateFileA((locked + "\\01.ico").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    problem = loadIconFiles(folderSettings(locked), icons);
    CloseHandle(hold);
    EXPECT_EQ(problem.rfind(locked + "\\01.ico: cannot open (", 0), 0u) << problem;
}

TEST(IconFiles, StripGivesOneIconPerSquare) {
    TempFolder folder;
    // Three 8x8 squares: red, green, blue; the top-left pixel of each is magenta.
    const std::uint32_t colours[] = {0xCC0000, 0x00CC00, 0x0000CC};
    auto pixel = [&](int x, int y) { return x % 8 == 0 && y == 0 ? 0xFF00FFu : colours[x / 8]; };
    ASSERT_TRUE(writeFile(folder.file("s.bmp"), tarvik::test::makeBmp(24, 8, pixel)));
    ASSERT_TRUE(writeFile(
        folder.file("h.bmp"),
        tarvik::test::makeBmp(24, 8, solid(0xFF444444), tarvik::test::BmpLayout::Argb32TopDown)));
    IconSet icons;
    ASSERT_EQ(loadIconFiles(stripSettings(folder.file("s.bmp"), folder.file("h.bmp")), icons), "");
    EXPECT_EQ(icons.slotsInUse(), 3);
    for (int i = 0; i < 3; ++i) {
        const IconPixels large = readIcon(icons.large[i]);
        ASSERT_EQ(large.width, 20) << i;
        EXPECT_EQ(large.at(10, 10), 0xFF000000u | colours[i]) << i;
        EXPECT_EQ(large.at(0, 0) >> 24, 0u) << "magenta became transparent";
        const IconPixels small = readIcon(icons.small[i]);
        ASSERT_EQ(small.width, 10);
        EXPECT_EQ(small.at(5, 5), 0xFF000000u | colours[i]);
        EXPECT_EQ(readIcon(icons.largeHot[i]).at(3, 3), 0xFF444444u);
        EXPECT_EQ(readIcon(icons.smallHot[i]).width, 10);
    }
    EXPECT_EQ(icons.large[3], nullptr);
}

TEST(IconFiles, StripProblemsNameThePath) {
    TempFolder folder;
    IconSet icons;
    const std::string strip = folder.file("s.bmp");
    ASSERT_TRUE(writeFile(strip, tarvik::test::makeBmp(20, 8, solid(0xFF000000))));
    EXPECT_EQ(loadIconFiles(stripSettings(strip), icons),
              strip + ": 20 x 8 is not a row of squares");

    ASSERT_TRUE(writeFile(strip, tarvik::test::makeBmp(65, 1, solid(0xFF000000))));
    EXPECT_EQ(loadIconFiles(stripSettings(strip), icons), strip + ": 65 images; at most 64 fit");

    ASSERT_TRUE(writeFile(strip, tarvik::test::makeBmp(16, 8, solid(0xFF000000))));
    const std::string hot = folder.file("h.bmp");
    ASSERT_TRUE(writeFile(hot, tarvik::test::makeBmp(24, 8, solid(0xFF000000))));
    EXPECT_EQ(loadIconFiles(stripSettings(strip, hot), icons),
              hot + ": 24 x 8 differs from the strip's 16 x 8");
    EXPECT_EQ(icons.slotsInUse(), 0);

    ASSERT_TRUE(writeFile(hot, std::string("BM and nothing else")));
    const std::string problem = loadIconFiles(stripSettings(strip, hot), icons);
    EXPECT_EQ(problem, hot + ": not a BMP file");

    const std::string absent = folder.file("absent.bmp");
    const std::string missing = loadIconFiles(stripSettings(absent), icons);
    EXPECT_EQ(missing.rfind(absent + ": cannot open (", 0), 0u) << missing;
}

TEST(IconFiles, OwnedIconsAreDestroyedBorrowedOnesNever) {
    TempFolder folder;
    ASSERT_TRUE(writeFile(folder.file("s.bmp"), tarvik::test::makeBmp(16, 8, solid(0xFF000000))));
    IconSet owned;
    ASSERT_EQ(loadIconFiles(stripSettings(folder.file("s.bmp")), owned), "");
    const HICON made[] = {owned.large[0], owned.small[0], owned.large[1], owned.small[1]};
    for (HICON icon : made)
        ASSERT_TRUE(isIcon(icon));
    owned.release();
    for (HICON icon : made)
        EXPECT_FALSE(isIcon(icon)) << "release destroys what loadIconFiles made";
    EXPECT_EQ(owned.slotsInUse(), 0);

    Image image;
    image.width = image.height = 4;
    image.pixels.assign(16, 0xFF123456);
    HICON theirs = makeIcon(image);
    ASSERT_TRUE(isIcon(theirs));
    IconHandles handles;
    handles.large[5] = reinterpret_cast<std::uintptr_t>(theirs);
    handles.smallHot[6] = 0xABCD;
    handles.largeSize = 32;
    Settings settings;
    settings.largeSize = 40;
    settings.smallSize = 12;
    {
        IconSet borrowed;
        borrowIconHandles(handles, settings, borrowed);
        EXPECT_FALSE(borrowed.owned);
        EXPECT_EQ(borrowed.large[5], theirs);
        EXPECT_EQ(borrowed.smallHot[6], reinterpret_cast<HICON>(0xABCD));
        EXPECT_EQ(borrowed.slotsInUse(), 2);
        EXPECT_EQ(borrowed.largeSize, 32) << "the size they were made at";
        EXPECT_EQ(borrowed.smallSize, 12) << "not given: the settings' size";
    }
    EXPECT_TRUE(isIcon(theirs)) << "a borrowed icon outlives the set";
    DestroyIcon(theirs);
}

} // namespace
