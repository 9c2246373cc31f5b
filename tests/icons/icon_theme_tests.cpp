// A visual-style change through the real DLL's call-window hook: WM_THEMECHANGED
// to a frame's main toolbar marks this process, and the next TB_GETIDEALSIZE to
// a main toolbar captures the toolbar's (new) lists and applies the icons again;
// WM_THEMECHANGED to the taskbar forgets Explorer's pairs. The toolbars here get
// fresh native lists by hand, as a new visual style gives them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include "TarvikToolBar.h"
#include "dll_bench.h"

using namespace icontest;

namespace {

class IconTheme : public DllBench {
  protected:
    void applyIcons() {
        library.setIcons(icons.normal(), icons.hot(), kSlots, 24);
        library.setSmallIcons(nullptr, nullptr, kSlots, 16);
        library.changeAllToolbar();
    }
    // New lists of native images on the toolbar; destroyed when the test ends.
    HIMAGELIST giveFreshLists(HWND toolbar) {
        HIMAGELIST normal = freshNativeList(24, 12, false);
        HIMAGELIST hot = freshNativeList(24, 12, true);
        fresh.push_back(normal);
        fresh.push_back(hot);
        SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
        SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
        return normal;
    }
    static void askIdealSize(HWND toolbar) {
        SIZE ideal{0, 0};
        SendMessageA(toolbar, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&ideal));
    }
    void TearDown() override {
        DllBench::TearDown();
        frames.clear();
        for (HIMAGELIST list : fresh)
            ImageList_Destroy(list);
    }

    ControllerIcons icons{24, {0, 3}, {1}};
    std::vector<std::unique_ptr<Frame>> frames;
    std::vector<HIMAGELIST> fresh;
    Frame& frame(const standin::FrameOptions& options) {
        frames.push_back(std::make_unique<Frame>(options));
        return *frames.back();
    }
};

const ListContents kApplied{24, mixedColours(12, false, {0, 3})};
const ListContents kNative{24, nativeColours(12, false)};

} // namespace

TEST_F(IconTheme, ExplorerToolbarGetsTheIconsAgainAtItsNextIdealSizeQuery) {
    Frame& explorer = frame(explorerOptions(24));
    applyIcons();
    ASSERT_TRUE(listHolds(explorer->normalList, kApplied));
    const HIMAGELIST themed = giveFreshLists(explorer->mainToolbar);

    askIdealSize(explorer->mainToolbar); // nothing pending yet
    EXPECT_TRUE(listHolds(themed, kNative));

    SendMessageA(explorer->mainToolbar, WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(listHolds(themed, kNative)) << "the change itself only marks";
    askIdealSize(explorer->mainToolbar);
    EXPECT_TRUE(listHolds(themed, kApplied));
    EXPECT_EQ(library.shared->explorerLargeList, themed);
    EXPECT_EQ(normalListOf(explorer->mainToolbar), themed);

    // One mark, one re-application.
    const HIMAGELIST later = giveFreshLists(explorer->mainToolbar);
    askIdealSize(explorer->mainToolbar);
    EXPECT_TRUE(listHolds(later, kNative));
}

TEST_F(IconTheme, BrowserToolbarGetsTheIconsAgainAtItsNextIdealSizeQuery) {
    Frame& browser = frame(browserOptions(24));
    applyIcons();
    const HIMAGELIST themed = giveFreshLists(browser->mainToolbar);
    SendMessageA(browser->mainToolbar, WM_THEMECHANGED, 0, 0);
    askIdealSize(browser->mainToolbar);
    EXPECT_TRUE(listHolds(themed, kApplied));
    EXPECT_EQ(library.shared->ieLargeList, themed);
}

TEST_F(IconTheme, ThemeChangeToAnotherToolbarMarksNothing) {
    Frame& explorer = frame(explorerOptions(24));
    applyIcons();
    const HIMAGELIST themed = giveFreshLists(explorer->mainToolbar);
    SendMessageA(explorer->menuToolbar, WM_THEMECHANGED, 0, 0);
    SendMessageA(explorer->linksToolbar, WM_THEMECHANGED, 0, 0);
    askIdealSize(explorer->mainToolbar);
    EXPECT_TRUE(listHolds(themed, kNative));
}

TEST_F(IconTheme, TaskbarThemeChangeForgetsExplorersPairs) {
    Frame& explorer = frame(explorerOptions(24));
    Frame& small = frame(explorerOptions(16));
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));
    applyIcons();
    ASSERT_EQ(library.shared->explorerLargeList, explorer->normalList);
    ASSERT_EQ(library.shared->explorerSmallList, small->normalList);
    ASSERT_EQ(library.shared->explorerIconsApplied, 1);
    EXPECT_TRUE(listHolds(explorer->normalList, kApplied));

    SendMessageA(taskbar, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(library.shared->explorerLargeList, nullptr);
    EXPECT_EQ(library.shared->explorerLargeHotList, nullptr);
    EXPECT_EQ(library.shared->explorerSmallList, nullptr);
    EXPECT_EQ(library.shared->explorerSmallHotList, nullptr);
    EXPECT_EQ(library.shared->explorerIconsApplied, 0);

    // The next apply captures the toolbar's lists of now.
    const HIMAGELIST themed = giveFreshLists(explorer->mainToolbar);
    library.changeAllToolbar();
    EXPECT_EQ(library.shared->explorerLargeList, themed);
    EXPECT_TRUE(listHolds(themed, kApplied));

    // With customisation off nothing is forgotten.
    library.restoreAllToolbar();
    ASSERT_EQ(library.shared->inactive, 1);
    SendMessageA(taskbar, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(library.shared->explorerLargeList, themed);
    DestroyWindow(taskbar);
}

TEST_F(IconTheme, IdealSizeQueriesDuringARestoreLeaveTheMark) {
    Frame& explorer = frame(explorerOptions(24));
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));
    applyIcons();
    const HIMAGELIST before = explorer->normalList;
    const HIMAGELIST themed = giveFreshLists(explorer->mainToolbar);
    SendMessageA(explorer->mainToolbar, WM_THEMECHANGED, 0, 0);

    library.restoreAllLogo(); // a restore is under way from here on
    ASSERT_EQ(library.shared->restoring, 1);
    askIdealSize(explorer->mainToolbar);
    EXPECT_TRUE(listHolds(themed, kNative));

    // The restore walk puts the natives back into Explorer's pair (the lists of
    // before) and lays the toolbar out, querying its ideal size: the mark stays.
    library.restoreAllToolbar();
    ASSERT_EQ(library.shared->restoring, 0);
    ASSERT_EQ(library.shared->inactive, 1);
    EXPECT_EQ(normalListOf(explorer->mainToolbar), before);
    EXPECT_TRUE(listHolds(before, kNative));

    // The next query re-applies, customisation off or not; the saved icons went
    // with the restore, so the natives are read again from the restored list.
    askIdealSize(explorer->mainToolbar);
    EXPECT_TRUE(listHolds(before, kApplied));
    EXPECT_EQ(library.shared->explorerLargeList, before);
    EXPECT_EQ(library.shared->savedLargeValid, 1);
    DestroyWindow(taskbar);
}
