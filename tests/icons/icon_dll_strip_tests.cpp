// A browser frame's lists filled from the library's prepared strips hold what the
// slot-by-slot fill gives. The stand-in's comctl32 has no ImageList_Add, so the library
// fills its toolbar's lists slot by slot; a toolbar of the system's comctl32 beside it
// gets the strips. Both lists are compared image by image, drawn three ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>
#include "TarvikToolBar.h"
#include "dll_bench.h"

using namespace icontest;

namespace {

class IconStrips : public DllBench {};

using Pixels = std::vector<std::uint32_t>;

// A 32-bit icon that tells its pixels apart: a gradient, a transparent corner (mask)
// and, when `alpha`, translucent edges; otherwise no alpha at all.
HICON patternIcon(int size, int seed, bool alpha) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<unsigned char> mask(static_cast<size_t>(((size + 15) / 16) * 2 * size), 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool clear = x + y < size / 3;
            std::uint32_t a = alpha ? (x == 0 || y == size - 1 ? 0x60u : 0xFFu) : 0;
            std::uint32_t rgb = ((seed * 37 + x * 9) & 0xFF) << 16 | ((y * 11) & 0xFF) << 8 | seed;
            if (clear) {
                a = 0;
                rgb = 0;
                mask[y * ((size + 15) / 16) * 2 + x / 8] |=
                    static_cast<unsigned char>(0x80 >> x % 8);
            }
            static_cast<std::uint32_t*>(bits)[y * size + x] = a << 24 | rgb;
        }
    HBITMAP maskBitmap = CreateBitmap(size, size, 1, 1, mask.data());
    ICONINFO parts{TRUE, 0, 0, maskBitmap, colour};
    HICON icon = CreateIconIndirect(&parts);
    DeleteObject(colour);
    DeleteObject(maskBitmap);
    return icon;
}

// The controller's tables: every slot but a few, which fall back on the native icons.
struct PatternSet {
    std::vector<HICON> normal, hot;
    PatternSet(int size, int set) {
        for (int slot = 0; slot < kSlots; ++slot) {
            normal.push_back(slot == 3 || slot == 7 ? nullptr
                                                    : patternIcon(size, slot + set, slot % 2));
            hot.push_back(slot == 5 ? nullptr : patternIcon(size, slot + 90 + set, slot % 3));
        }
    }
    ~PatternSet() {
        for (HICON icon : normal)
            if (icon != nullptr) DestroyIcon(icon);
        for (HICON icon : hot)
            if (icon != nullptr) DestroyIcon(icon);
    }
};

// Image i drawn on a coloured ground: as the toolbar draws it, its mask, its image alone.
Pixels imageOf(HIMAGELIST list, int i, int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP ground = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ kept = SelectObject(dc, ground);
    auto* first = static_cast<std::uint32_t*>(bits);
    Pixels pixels;
    for (UINT style : {ILD_NORMAL, ILD_MASK, ILD_IMAGE}) {
        std::fill_n(first, size * size, 0x00336699u);
        ImageList_Draw(list, i, dc, 0, 0, style);
        GdiFlush();
        pixels.insert(pixels.end(), first, first + size * size);
    }
    SelectObject(dc, kept);
    DeleteDC(dc);
    DeleteObject(ground);
    return pixels;
}

::testing::AssertionResult sameImages(HIMAGELIST bySlot, HIMAGELIST byStrip) {
    const SIZE size = iconSizeOf(bySlot), other = iconSizeOf(byStrip);
    const int count = ImageList_GetImageCount(bySlot);
    if (size.cx != other.cx || size.cy != other.cy || count != ImageList_GetImageCount(byStrip))
        return ::testing::AssertionFailure()
               << "size " << size.cx << " and " << other.cx << ", count " << count << " and "
               << ImageList_GetImageCount(byStrip);
    for (int i = 0; i < count; ++i)
        if (imageOf(bySlot, i, size.cx) != imageOf(byStrip, i, size.cx))
            return ::testing::AssertionFailure() << "image " << i << " differs";
    return ::testing::AssertionSuccess() << count << " images";
}

} // namespace

TEST_F(IconStrips, AStripFilledPairEqualsASlotBySlotOneForBothSizesAndEverySet) {
    for (int size : {24, 16}) {
        SCOPED_TRACE(size);
        standin::FrameOptions stand = browserOptions(size);
        stand.toolbarModule = standin::ToolbarModule::Comctl6;
        Frame bySlot(stand), byStrip(browserOptions(size)), another(browserOptions(size));
        const unsigned addsBefore = tarvik::test::iconLedgerCounts().adds;
        for (int set : {0, 1}) {
            PatternSet icons(size, set);
            if (size > 16)
                library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, size);
            else
                library.setSmallIcons(icons.normal.data(), icons.hot.data(), kSlots, size);
            library.changeAllToolbar();
            EXPECT_TRUE(sameImages(bySlot->normalList, byStrip->normalList)) << "set " << set;
            EXPECT_TRUE(sameImages(bySlot->hotList, byStrip->hotList)) << "set " << set;
            EXPECT_TRUE(sameImages(bySlot->hotList, another->hotList)) << "set " << set;
        }
        // Two frames, two lists each, two sets: the system's toolbars were filled by strips.
        EXPECT_EQ(tarvik::test::iconLedgerCounts().adds - addsBefore, 8u);

        library.restoreAllToolbar();
        for (const Frame* frame : {&bySlot, &byStrip, &another}) {
            EXPECT_TRUE(listHolds((*frame)->normalList, {size, nativeColours(12, false)}));
            EXPECT_TRUE(listHolds((*frame)->hotList, {size, nativeColours(12, true)}));
        }
        EXPECT_TRUE(ledgerBalanced(tarvik::test::iconLedgerCounts()));
    }
}
