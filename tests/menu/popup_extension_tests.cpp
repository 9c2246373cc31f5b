// The context-menu extension called directly on stand-in frames: which popups
// it extends (owner, frame, cursor, first item) and what it appends.
#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstring>
#include <string>

#include "core_menu_fixture.h"
#include "cursor.h"
#include "menu_band_state.h"
#include "menu_readback.h"

namespace menu_test {

using tarvik::test::putCursorAt;
using tarvik::test::putCursorOutsideWindows;
using tarvik::test::putCursorOver;

namespace {

using Extension = CoreMenuTest;

// The popup's description before and after one WM_INITMENUPOPUP owned by `owner`.
struct Outcome {
    std::string before;
    std::string after;
};

Outcome openOnce(HWND owner, bool firstChecked = true) {
    HMENU popup = makeToolbarMenu(firstChecked);
    Outcome outcome{describeMenu(popup), {}};
    CoreMenuTest::initMenuPopup(owner, popup);
    outcome.after = describeMenu(popup);
    DestroyMenu(popup);
    return outcome;
}

std::string extended(const std::string& before, bool toggle = false, bool checked = true) {
    return before + " | " + toolsBlock() + (toggle ? " | " + toggleItem(checked) : "");
}

TEST_F(Extension, AppendsSeparatorAndSubmenuWhenOpenedOverAnyBar) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    for (HWND bar : {frame.mainToolbar, frame.rebar, frame.linksToolbar, frame.menuToolbar}) {
        SCOPED_TRACE(bar == frame.rebar ? "over the rebar" : "over a toolbar");
        ASSERT_TRUE(putCursorOver(bar));
        const Outcome menu = openOnce(frame.worker);
        EXPECT_EQ(menu.after, extended(menu.before));
    }
}

TEST_F(Extension, OwnerMustBeTheWorkerOfAFrame) {
    const auto frame = openFrame();
    const auto browserWithCommandBar = openFrame([] {
        standin::FrameOptions options;
        options.frameClass = standin::FrameClass::BrowserWithCommandBar;
        options.x = 820;
        options.width = 400;
        return options;
    }());
    configureTools(&setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));

    // The yardstick: the same popup, owned by the frame's "WorkerW", is extended.
    const Outcome worker = openOnce(frame.worker);
    ASSERT_EQ(worker.after, extended(worker.before));

    HWND nearName = plainWindow(frame.frame, "WorkerW2");
    HWND top = plainWindow(nullptr, "TarvikMenuTestTop");
    HWND workerOutsideFrames = plainWindow(top, "WorkerW");
    HWND topLevelWorker = plainWindow(nullptr, "WorkerW");
    ASSERT_TRUE(putCursorOver(frame.mainToolbar)); // the new windows may cover it
    const struct {
        const char* what;
        HWND owner;
    } owners[] = {
        {"the frame", frame.frame},
        {"the main toolbar", frame.mainToolbar},
        {"the rebar", frame.rebar},
        {"a \"WorkerW2\" in the frame", nearName},
        {"a \"WorkerW\" under a window that is no frame", workerOutsideFrames},
        {"a top-level \"WorkerW\"", topLevelWorker},
        {"the \"WorkerW\" of an IEFrame with a command bar", browserWithCommandBar.worker},
    };
    for (const auto& owner : owners) {
        SCOPED_TRACE(owner.what);
        const Outcome menu = openOnce(owner.owner);
        EXPECT_EQ(menu.after, menu.before);
    }
}

TEST_F(Extension, CursorMustBeOverAToolbarOrRebar) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);

    ASSERT_TRUE(putCursorOver(frame.content)) << "the frame's list view";
    Outcome menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before) << "over the list view";

    ASSERT_TRUE(putCursorOver(frame.statusBar));
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before) << "over the status bar";

    // A band's child that is no bar: the address combo box (or its edit field) answers there.
    RECT address;
    GetWindowRect(frame.addressChild, &address);
    const POINT inAddress{(address.left + address.right) / 2, (address.top + address.bottom) / 2};
    ASSERT_TRUE(putCursorAt(inAddress));
    ASSERT_EQ(GetAncestor(WindowFromPoint(inAddress), GA_ROOT), frame.frame);
    char name[64] = {};
    GetClassNameA(WindowFromPoint(inAddress), name, sizeof name);
    ASSERT_STRNE(name, "ToolbarWindow32");
    ASSERT_STRNE(name, "ReBarWindow32");
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before) << "over the address band's " << name;

    ASSERT_TRUE(putCursorOutsideWindows());
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before) << "outside every window";
}

TEST_F(Extension, FirstItemMustBeChecked) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));

    const Outcome unchecked = openOnce(frame.worker, false);
    EXPECT_EQ(unchecked.after, unchecked.before);

    // The submenu opening from the extended popup: its first item is an entry, unchecked.
    HMENU popup = makeToolbarMenu();
    initMenuPopup(frame.worker, popup);
    HMENU sub = GetSubMenu(popup, GetMenuItemCount(popup) - 1);
    ASSERT_NE(sub, nullptr);
    const std::string subBefore = describeMenu(sub);
    initMenuPopup(frame.worker, sub);
    EXPECT_EQ(describeMenu(sub), subBefore);
    DestroyMenu(popup);
}

TEST_F(Extension, PopupWhoseFirstItemCannotBeReadIsLeftAlone) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    HMENU empty = CreatePopupMenu();
    initMenuPopup(frame.worker, empty);
    EXPECT_EQ(GetMenuItemCount(empty), 0);
    DestroyMenu(empty);
}

TEST_F(Extension, SubmenuListsEntriesSeparatorsAndEmptyCaptions) {
    const auto frame = openFrame();
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));

    const int ids[] = {-1, 5, -7, 6, 0x7FFF};
    const char* const texts[] = {nullptr, "Five", "not read", nullptr, "Last"};
    setPopupMenuItem("Mine", ids, texts, 5, "Bar");
    Outcome menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after,
              menu.before + " | --- | \"Mine\"{--- | \"Five\"=5 | --- | \"\"=6 | \"Last\"=32767}");

    setPopupMenuItem("Nothing", ids, texts, 0, "Bar");
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before + " | --- | \"Nothing\"{}");

    setPopupMenuItem("Less than nothing", ids, texts, -4, "Bar");
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before + " | --- | \"Less than nothing\"{}");
}

TEST_F(Extension, ToggleItemOnlyForTheKindWhoseMenuBandIsSetToHide) {
    standin::FrameOptions explorer;
    explorer.width = 600;
    standin::FrameOptions explorerTree = explorer;
    explorerTree.frameClass = standin::FrameClass::ExplorerTree;
    explorerTree.y = 330;
    standin::FrameOptions browser = explorer;
    browser.frameClass = standin::FrameClass::Browser;
    browser.x = 660;
    const auto cabinet = openFrame(explorer);
    const auto tree = openFrame(explorerTree);
    const auto ie = openFrame(browser);
    configureTools(&setPopupMenuItem);

    const struct { int hideExplorer, hideIE; } settings[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const auto& setting : settings) {
        sharedState.hideMenu[0] = setting.hideExplorer;
        sharedState.hideMenu[1] = setting.hideIE;
        const struct {
            const char* what;
            const standin::FrameHandles& frame;
            bool toggle;
        } frames[] = {{"CabinetWClass", cabinet, setting.hideExplorer != 0},
                      {"ExploreWClass", tree, setting.hideExplorer != 0},
                      {"IEFrame", ie, setting.hideIE != 0}};
        for (const auto& each : frames) {
            SCOPED_TRACE(std::string(each.what) + " with hideMenu {" +
                         std::to_string(setting.hideExplorer) + ", " +
                         std::to_string(setting.hideIE) + "}");
            ASSERT_TRUE(putCursorOver(each.frame.mainToolbar));
            const Outcome menu = openOnce(each.frame.worker);
            EXPECT_EQ(menu.after, extended(menu.before, each.toggle, true));
        }
    }
}

TEST_F(Extension, ToggleItemIsCheckedWhileTheMenuBandShows) {
    const auto frame = openFrame();
    standin::FrameOptions noMenuBand;
    std::strcpy(noMenuBand.bands, "TALG");
    noMenuBand.y = 580;
    noMenuBand.height = 300;
    const auto bare = openFrame(noMenuBand);
    configureTools(&setPopupMenuItem);
    sharedState.hideMenu[0] = 1;
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));

    ASSERT_EQ(menuBandShown(frame.rebar), 1);
    Outcome menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, extended(menu.before, true, true));

    showMenuBandByHand(frame.rebar, false);
    ASSERT_EQ(menuBandShown(frame.rebar), 0);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar)); // the toolbar moved up into the menu's row
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, extended(menu.before, true, false));
    EXPECT_EQ(menuBandShown(frame.rebar), 0) << "opening the menu only looks at the band";

    ASSERT_TRUE(putCursorOver(bare.mainToolbar));
    menu = openOnce(bare.worker);
    EXPECT_EQ(menu.after, extended(menu.before, true, false)) << "a frame without a menu band";
}

TEST_F(Extension, PopupThatPassesTwiceGetsTheBlockTwice) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    sharedState.hideMenu[0] = 1;
    ASSERT_TRUE(putCursorOver(frame.rebar));
    HMENU popup = makeToolbarMenu();
    const std::string before = describeMenu(popup);
    initMenuPopup(frame.worker, popup);
    initMenuPopup(frame.worker, popup);
    const std::string block = toolsBlock() + " | " + toggleItem(true);
    EXPECT_EQ(describeMenu(popup), before + " | " + block + " | " + block);
    DestroyMenu(popup);
}

TEST_F(Extension, CaptionsAreReadNoFurtherThanTheirField) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    sharedState.hideMenu[0] = 1;
    // As if the controller were half-way through rewriting them: no terminator anywhere.
    std::memset(sharedState.popupTitle, 'T', kCaptionBytes);
    std::memset(sharedState.popupItemTexts[0], 'E', kCaptionBytes);
    std::memset(sharedState.menuBarItemText, 'M', kCaptionBytes);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    const Outcome menu = openOnce(frame.worker);
    const std::string t(31, 'T'), e(31, 'E'), m(31, 'M');
    EXPECT_EQ(menu.after, menu.before + " | --- | \"" + t + "\"{\"" + e +
                              "\"=100 | --- | \"Close\"=101} | " + toggleItem(true, m.c_str()));
}

TEST_F(Extension, CountOutsideTheTableShowsNoMoreThanItHolds) {
    const auto frame = openFrame();
    const int ids[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const char* const texts[8] = {"a", "b", "c", "d", "e", "f", "g", "h"};
    setPopupMenuItem("Eight", ids, texts, 8, "Bar");
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    const std::string eight = "--- | \"Eight\"{\"a\"=1 | \"b\"=2 | \"c\"=3 | \"d\"=4 | \"e\"=5 | "
                              "\"f\"=6 | \"g\"=7 | \"h\"=8}";

    // Written straight into the block, as a torn or hostile store would leave it.
    sharedState.popupItemCount = 1000;
    Outcome menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before + " | " + eight);

    sharedState.popupItemCount = INT_MIN;
    menu = openOnce(frame.worker);
    EXPECT_EQ(menu.after, menu.before + " | --- | \"Eight\"{}");
}

TEST_F(Extension, SubmenuStaysWithThePopupAfterTheHandlerReturns) {
    const auto frame = openFrame();
    configureTools(&setPopupMenuItem);
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    HMENU popup = makeToolbarMenu();
    initMenuPopup(frame.worker, popup);
    const int position = GetMenuItemCount(popup) - 1;
    HMENU sub = GetSubMenu(popup, position);
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(IsMenu(sub));

    // Menus made and freed afterwards must not land on a freed submenu's handle.
    for (int i = 0; i < 16; ++i) {
        HMENU other = CreatePopupMenu();
        AppendMenuA(other, MF_STRING, 900 + i, "other");
        DestroyMenu(other);
    }
    ASSERT_EQ(GetSubMenu(popup, position), sub);
    ASSERT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_EQ(describe(readMenu(sub)), "\"Open\"=100 | --- | \"Close\"=101");
    EXPECT_EQ(GetMenuItemID(sub, 2), static_cast<UINT>(kCloseId));

    // It goes with the popup.
    DestroyMenu(popup);
    EXPECT_FALSE(IsMenu(sub));
}

} // namespace
} // namespace menu_test
