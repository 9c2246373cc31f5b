// Explorer in two processes, as with "Launch folder windows in a separate process": the
// taskbar's host and a second one without a taskbar. Icons in place are a fact about one
// process's lists: a frame opened in the second host after the apply gets them on show,
// frames sharing a process's lists are filled once, and the restore gives both hosts'
// frames their natives back and frees what each host saved.
#include <gtest/gtest.h>

#include "dll_bench.h"
#include "private_messages.h"

using namespace icontest;

namespace {

class IconDllProcesses : public DllBench {};

// Explorer's frames share the shell's lists in their process; opened means shown.
standin::FrameOptions sharedExplorer(int index) {
    standin::FrameOptions options = explorerOptions(24);
    options.shareImageLists = true;
    options.visible = true;
    options.x += 40 * index;
    return options;
}

// Image-list appends the library made in the host since the last call.
int appendsSince(standin::RemoteShell& host, std::uint32_t& mark) {
    auto counts = hostLedger(host);
    if (!counts) {
        ADD_FAILURE() << counts.error;
        return -1;
    }
    const int appends = static_cast<int>(counts->replaceIcons - mark);
    mark = counts->replaceIcons;
    return appends;
}

} // namespace

TEST_F(IconDllProcesses, AFrameOfAnotherExplorerProcessGetsTheIconsOnceAndTheRestoreEverywhere) {
    standin::RemoteShell first, second;
    ASSERT_TRUE(first.start()) << first.lastError();
    ASSERT_TRUE(second.start()) << second.lastError();
    ASSERT_EQ(startHostLedger(first), "");
    ASSERT_EQ(startHostLedger(second), "");
    auto taskbar = first.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    ASSERT_TRUE(isTheTaskbar(*taskbar));
    auto applied = first.createFrame(sharedExplorer(0));
    ASSERT_TRUE(applied) << applied.error;
    // Slot 0 stays native: under Wine the first host's icons draw nothing in the second,
    // whose lists must still show an image at the controller's size.
    HostIcons icons(first, 20, 1);
    ASSERT_TRUE(icons.error.empty()) << icons.error;
    icons.normal[0] = icons.hot[0] = nullptr;
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 20);
    library.changeAllToolbar();
    std::vector<COLORREF> filled = nativeColours(1, false);
    for (int slot = 1; slot < kSlots; ++slot)
        filled.push_back(controllerColor(slot, false, 1));
    ASSERT_TRUE(hostListHolds(first, applied->mainToolbar, false, {20, filled}));

    // Opened after the apply, in the process without the taskbar: its icons come on show.
    std::uint32_t firstMark = 0, secondMark = 0;
    appendsSince(first, firstMark);
    appendsSince(second, secondMark);
    auto opened = second.createFrame(sharedExplorer(1));
    ASSERT_TRUE(opened) << opened.error;
    for (bool hot : {false, true}) {
        auto list = second.imageList(opened->mainToolbar, hot);
        ASSERT_TRUE(list) << list.error;
        EXPECT_EQ(list->cx, 20) << (hot ? "hot" : "normal") << " list not at the controller's size";
        ASSERT_GE(list->described, 1);
        EXPECT_EQ(list->centre[0], nativeColours(1, hot)[0]);
    }
    EXPECT_EQ(appendsSince(second, secondMark), 2 * kSlots) << "one fill for the new process";

    // More frames of each process share its filled lists: no fill of their own.
    auto sharing = second.createFrame(sharedExplorer(2));
    auto another = first.createFrame(sharedExplorer(3));
    ASSERT_TRUE(sharing && another) << sharing.error << another.error;
    ASSERT_TRUE(second.showWindow(opened->frame, SW_HIDE));
    ASSERT_TRUE(second.showWindow(opened->frame, SW_SHOW));
    EXPECT_EQ(appendsSince(second, secondMark), 0);
    EXPECT_EQ(appendsSince(first, firstMark), 0);
    auto sharedList = second.imageList(sharing->mainToolbar, false);
    ASSERT_TRUE(sharedList) << sharedList.error;
    EXPECT_EQ(sharedList->cx, 20);

    // The restore: natives back in both processes, and the second host's saved icons freed
    // there once, through its frames (each is asked; the first release leaves nothing).
    tarvik::test::RecorderConfig restoreOnly;
    restoreOnly.recordOnly(MSG_RESTORE_ICONS);
    ASSERT_TRUE(second.startRecording({opened->frame, sharing->frame}, restoreOnly));
    library.restoreAllToolbar();
    auto asked = second.records();
    ASSERT_TRUE(asked) << asked.error;
    EXPECT_EQ(asked->size(), 2u) << "each Explorer frame of the process without the taskbar";
    const std::pair<standin::RemoteShell*, HWND> toolbars[] = {{&first, applied->mainToolbar},
                                                               {&first, another->mainToolbar},
                                                               {&second, opened->mainToolbar},
                                                               {&second, sharing->mainToolbar}};
    for (const auto& [host, toolbar] : toolbars)
        for (bool hot : {false, true})
            EXPECT_TRUE(hostListHolds(*host, toolbar, hot, {24, nativeColours(12, hot)}));
    for (standin::RemoteShell* host : {&first, &second}) {
        auto counts = hostLedger(*host);
        ASSERT_TRUE(counts) << counts.error;
        EXPECT_EQ(counts->created, 2u * standin::kDefaultImageCount);
        EXPECT_TRUE(ledgerBalanced(*counts)) << (host == &first ? "first" : "second");
    }
    library.uninstallHook();
    EXPECT_TRUE(first.stop());
    EXPECT_TRUE(second.stop());
}
