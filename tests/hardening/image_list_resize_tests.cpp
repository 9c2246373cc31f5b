// Toolbar image lists resized to a non-native icon size and refilled: the process
// heap must stay sound (a resize that leaves the list's per-image bookkeeping
// shorter than its room lets every later add write past it), and restore must
// bring back the native size, count and pixels.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>
#include "hardening_bench.h"

using namespace hardening;

namespace {

class ImageListResize : public DllCase {};

bool heapSound() {
    return HeapValidate(GetProcessHeap(), 0, nullptr) != 0;
}

// The main toolbar's list as the toolbar holds it now.
standin::ImageListInfo toolbarList(HWND toolbar) {
    return standin::describeImageList(
        reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0)));
}

TEST_F(ImageListResize, NonNativeSizesKeepTheHeapSoundAndRestoreNative) {
    install();
    const standin::FrameHandles frame =
        standin::createFrame(frameOptions(standin::FrameClass::Explorer, 0, true));
    ASSERT_NE(frame.frame, nullptr);
    const standin::ImageListInfo native = toolbarList(frame.mainToolbar);
    ASSERT_EQ(native.cx, 24);
    ASSERT_GT(native.count, 4); // more native images than an emptied list has room for
    // Icons with alpha in every slot: each add then writes the list's alpha flag.
    std::vector<HICON> colours;
    for (int i = 0; i < 8; ++i)
        colours.push_back(standin::createSolidIcon(24, RGB(250, 30 * i, 30)));
    std::vector<HICON> icons;
    for (int i = 0; i < TARVIK_ICON_SLOTS; ++i)
        icons.push_back(colours[static_cast<std::size_t>(i) % colours.size()]);
    ASSERT_TRUE(heapSound()) << "heap already damaged before any resize";

    // Two sizes in a row, then back: each apply resizes the emptied lists.
    for (int size : {32, 48}) {
        library.setIcons(icons.data(), icons.data(), static_cast<int>(icons.size()), size);
        library.changeAllToolbar();
        ASSERT_TRUE(tarvik::test::pumpUntil(
            [&] { return toolbarList(frame.mainToolbar).cx == size; }, 3000))
            << "size " << size << " never applied";
        const standin::ImageListInfo applied = toolbarList(frame.mainToolbar);
        EXPECT_EQ(applied.count, TARVIK_ICON_SLOTS) << "size " << size;
        EXPECT_EQ(applied.centre[0], standin::iconCentre(icons[0])) << "size " << size;
        EXPECT_TRUE(heapSound()) << "heap damaged by applying size " << size;
        library.restoreAllToolbar();
        ASSERT_TRUE(tarvik::test::pumpUntil(
            [&] { return toolbarList(frame.mainToolbar).cx == native.cx; }, 3000))
            << "size " << size << " never restored";
        EXPECT_TRUE(heapSound()) << "heap damaged by restoring from size " << size;
    }

    const standin::ImageListInfo restored = toolbarList(frame.mainToolbar);
    EXPECT_EQ(restored.cy, native.cy);
    ASSERT_GE(restored.described, native.described);
    for (int i = 0; i < native.described; ++i)
        EXPECT_EQ(restored.centre[i], native.centre[i]) << "image " << i;
    library.uninstallHook();
    DestroyWindow(frame.frame);
    for (HICON icon : colours)
        DestroyIcon(icon);
}

} // namespace
