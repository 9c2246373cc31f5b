// Toolbars whose class comes from two comctl32 modules loaded side by side (the
// stand-in's versions 5 and 6) and from a module without image-list functions, in
// one process: each toolbar keeps its own lists, handled only by the functions of
// the module that made its class; the module without them is left alone.
#include <gtest/gtest.h>

#include <initializer_list>
#include "TarvikToolBar.h"
#include "dll_bench.h"
#include "standin/comctl/toolbar_modules.h"

using namespace icontest;
using standin::ToolbarModule;

namespace {

class IconToolbarModules : public DllBench {};

standin::FrameOptions madeBy(ToolbarModule module) {
    standin::FrameOptions options = explorerOptions(24);
    options.toolbarModule = module;
    return options;
}

// Every call the module's image-list functions took was for this frame's lists.
::testing::AssertionResult handledOnlyItsOwn(ToolbarModule module, const Frame& frame) {
    const long all = standin::imageListCalls(module, nullptr);
    const long own = standin::imageListCalls(module, frame->normalList) +
                     standin::imageListCalls(module, frame->hotList);
    if (all > 0 && own == all) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "module " << static_cast<int>(module) << ": " << all
                                         << " calls, " << own << " for its own toolbar's lists";
}

// The toolbar holds the lists it was built with, and they hold these images.
::testing::AssertionResult shows(const Frame& frame, std::initializer_list<int> normal,
                                 std::initializer_list<int> hot, int set) {
    if (normalListOf(frame->mainToolbar) != frame->normalList ||
        hotListOf(frame->mainToolbar) != frame->hotList)
        return ::testing::AssertionFailure() << "the toolbar was given other lists";
    auto holds = listHolds(frame->normalList, {24, mixedColours(12, false, normal, set)});
    return holds ? listHolds(frame->hotList, {24, mixedColours(12, true, hot, set)}) : holds;
}

} // namespace

TEST_F(IconToolbarModules, EachToolbarKeepsItsListsAndItsModulesFunctions) {
    Frame five(madeBy(ToolbarModule::Comctl5));
    Frame six(madeBy(ToolbarModule::Comctl6));
    Frame bare(madeBy(ToolbarModule::Bare));
    const std::pair<const Frame*, const char*> modules[] = {{&five, "standin_comctl5.dll"},
                                                            {&six, "standin_comctl6.dll"},
                                                            {&bare, "standin_comctl_bare.dll"}};
    for (const auto& [frame, file] : modules) {
        ASSERT_NE((*frame)->mainToolbar, nullptr) << file;
        ASSERT_EQ(GetClassLongPtrA((*frame)->mainToolbar, GCLP_HMODULE),
                  reinterpret_cast<LONG_PTR>(GetModuleHandleA(file)));
    }
    const HWND taskbar = standin::createTaskbar(false);
    ASSERT_TRUE(isTheTaskbar(taskbar));

    ControllerIcons first(24, {0, 1, 2}, {0, 1});
    library.setIcons(first.normal(), first.hot(), kSlots, 24);
    library.changeAllToolbar();
    EXPECT_TRUE(shows(five, {0, 1, 2}, {0, 1}, 0));
    EXPECT_TRUE(shows(six, {0, 1, 2}, {0, 1}, 0));

    ControllerIcons second(24, {4}, {5}, 1);
    library.setIcons(second.normal(), second.hot(), kSlots, 24);
    library.changeAllToolbar();
    EXPECT_TRUE(shows(five, {4}, {5}, 1));
    EXPECT_TRUE(shows(six, {4}, {5}, 1));

    // The taskbar's refill alone, as the end of a restore sends it: every module's pair.
    ASSERT_TRUE(sendToFrame(taskbar, MSG_RESTORE_ICONS, 0, 0));
    EXPECT_TRUE(shows(five, {}, {}, 0));
    EXPECT_TRUE(shows(six, {}, {}, 0));
    EXPECT_EQ(library.shared->savedLargeValid, 0);
    library.restoreAllToolbar();
    EXPECT_TRUE(shows(five, {}, {}, 0));
    EXPECT_TRUE(shows(six, {}, {}, 0));

    EXPECT_TRUE(handledOnlyItsOwn(ToolbarModule::Comctl5, five));
    EXPECT_TRUE(handledOnlyItsOwn(ToolbarModule::Comctl6, six));
    EXPECT_TRUE(shows(bare, {}, {}, 0)) << "the bare module's toolbar was touched";
    EXPECT_EQ(standin::imageListCalls(ToolbarModule::Bare, nullptr), -1);
    DestroyWindow(taskbar);
}
