// Every icon size the library accepts, applied and restored many times in a host:
// the host keeps answering and its frames come back to their native lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include "hardening_bench.h"
#include "lane.h"

using namespace hardening;

namespace {

// Apply and restore rounds per size.
constexpr int kCycles = 2;

class IconSizeRange : public DllCase {
  protected:
    void runSizesOfTheirClass();
};

// Applies each size to the frame of its class: small sizes to a 16-pixel toolbar,
// large ones to a 24-pixel toolbar; a false return names the first failure.
void cycleSizes(LibraryUnderTest& library, standin::RemoteShell& host, HWND toolbar,
                const std::vector<int>& sizes, const std::vector<HICON>& icons, bool large) {
    auto before = host.imageList(toolbar, false);
    ASSERT_TRUE(before) << before.error;
    for (int size : sizes) {
        library.setIcons(icons.data(), icons.data(), 8, large ? size : 24);
        library.setSmallIcons(nullptr, nullptr, 8, large ? 16 : size);
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            library.changeAllToolbar();
            auto applied = host.imageList(toolbar, false);
            ASSERT_TRUE(applied) << applied.error;
            EXPECT_EQ(applied->cx, size) << "applied size";
            library.restoreAllToolbar();
            auto ping = host.ping();
            ASSERT_TRUE(ping) << "size " << size << " cycle " << cycle << ": " << ping.error;
        }
        auto after = host.imageList(toolbar, false);
        ASSERT_TRUE(after) << after.error;
        EXPECT_EQ(after->cx, before->cx) << "size " << size;
        EXPECT_EQ(after->count, before->count) << "size " << size;
        for (int i = 0; i < after->described && i < before->described; ++i)
            EXPECT_EQ(after->centre[i], before->centre[i]) << "size " << size << " image " << i;
        std::printf("[ sizes ] %s toolbar, size %d: cycles done, list native\n",
                    large ? "large" : "small", size);
    }
}

void IconSizeRange::runSizesOfTheirClass() {
    install();
    standin::RemoteShell host;
    standin::HostOptions options;
    options.requestTimeoutMs = 8000;
    ASSERT_TRUE(host.start(options)) << host.lastError();
    auto large = host.createFrame(frameOptions(standin::FrameClass::Browser, 0, true));
    auto small = host.createFrame(frameOptions(standin::FrameClass::Browser, 1, false));
    ASSERT_TRUE(large && small);
    auto icons = host.createIcons(24, std::vector<COLORREF>(8, RGB(250, 30, 30)));
    ASSERT_TRUE(icons) << icons.error;
    // Both ends of each class; every size in a full sweep.
    using tarvik::test::sweepOf;
    cycleSizes(library, host, small->mainToolbar, sweepOf({1, 2, 3, 7, 8, 9, 15, 16}, {1, 16}),
               *icons, false);
    cycleSizes(library, host, large->mainToolbar,
               sweepOf({17, 23, 25, 33, 64, 65, 128, 255, 256}, {17, 256}), *icons, true);
    EXPECT_TRUE(host.stop());
}

// Every restored image draws its native colour again, whatever size was applied before.
TEST_F(IconSizeRange, EachSizeOfItsClassRestoresNativePixels) {
    runSizesOfTheirClass();
}

// A size across the class boundary (above 16 for small toolbars, up to 16 for large
// ones) is applied at the class's standard size, so the toolbar keeps its class and
// its restore finds the natives it saved.
TEST_F(IconSizeRange, EveryAcceptedSizeAppliesWithinItsClassAndRestoresInAHost) {
    install();
    standin::RemoteShell host;
    standin::HostOptions options;
    options.requestTimeoutMs = 8000;
    ASSERT_TRUE(host.start(options)) << host.lastError();
    auto explorer = host.createFrame(frameOptions(standin::FrameClass::Explorer, 0));
    auto browser = host.createFrame(frameOptions(standin::FrameClass::Browser, 1, false));
    ASSERT_TRUE(explorer && browser);
    auto taskbar = host.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    auto before = host.imageList(browser->mainToolbar, false);
    ASSERT_TRUE(before) << before.error;
    auto icons = host.createIcons(24, std::vector<COLORREF>(8, RGB(250, 30, 30)));
    ASSERT_TRUE(icons) << icons.error;
    // Each side of the class boundary and the largest; every size in a full sweep.
    const std::vector<int> sizes = tarvik::test::sweepOf(
        {1, 2, 3, 7, 8, 9, 15, 17, 33, 63, 64, 65, 127, 128, 255, 256}, {15, 17, 256});
    for (int size : sizes) {
        library.setIcons(icons->data(), icons->data(), 8, size);
        library.setSmallIcons(nullptr, nullptr, 8, size);
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            library.changeAllToolbar();
            auto applied = host.imageList(browser->mainToolbar, false);
            ASSERT_TRUE(applied) << applied.error;
            EXPECT_EQ(applied->cx, size <= 16 ? size : 16) << "small toolbar, size " << size;
            auto explorerApplied = host.imageList(explorer->mainToolbar, false);
            ASSERT_TRUE(explorerApplied) << explorerApplied.error;
            EXPECT_EQ(explorerApplied->cx, size > 16 ? size : 24) << "large toolbar, size " << size;
            library.restoreAllToolbar();
            auto ping = host.ping();
            ASSERT_TRUE(ping) << "size " << size << " cycle " << cycle << ": " << ping.error;
        }
        auto after = host.imageList(browser->mainToolbar, false);
        ASSERT_TRUE(after) << after.error;
        EXPECT_EQ(after->cx, before->cx) << "size " << size;
        EXPECT_EQ(after->count, before->count) << "size " << size;
        auto explorerAfter = host.imageList(explorer->mainToolbar, false);
        ASSERT_TRUE(explorerAfter) << explorerAfter.error;
        EXPECT_EQ(explorerAfter->cx, 24) << "size " << size;
        EXPECT_GT(explorerAfter->count, 0) << "size " << size;
        std::printf("[ sizes ] %d: host answers, lists native\n", size);
    }
    EXPECT_TRUE(host.stop());
}

} // namespace
