// The two switches in the frames' process: while customisation is off every
// private message is ignored there, and while a restore is under way nothing
// is re-applied by itself though the exports' own messages still act. The
// style-change path looks at the restore switch only.
#include "hook_bench.h"
#include "pump.h"
#include "upkeep_helpers.h"

using namespace hooktest;
using standin::kLogoBandId;
using standin::kMenuBandId;

namespace {

class Switches : public HookBench {};

TEST_F(Switches, EveryPrivateMessageIsIgnoredWhileCustomisationIsOff) {
    RemoteShell& host = startHost();
    const HWND taskbar = hostTaskbar(host);
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    ASSERT_NE(f.frame, nullptr);
    ASSERT_EQ(startHostLedger(host), "");
    install();
    IconTables icons = makeHostIcons(host, 24, 0);
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);
    library.changeAllToolbar();
    library.showHideAllMenu(0, 0);
    library.showHideAllDropdownArrow(0, 0);
    ASSERT_EQ(hostLedger(host)->live, 2u * kImages);
    const std::vector<BYTE> styles = hostButtonStyles(host, f.mainToolbar);

    // Off, as another controller's last restore leaves it, with every hide flag set.
    library.shared->inactive = 1;
    for (int* flags : {library.shared->hideLogo, library.shared->hideMenu,
                       library.shared->hideHeader, library.shared->hideDropdown})
        flags[0] = flags[1] = 1;
    const LPARAM kind = TARVIK_KIND_EXPLORER;
    for (UINT message : {MSG_SET_LOGO, MSG_SET_MENUBAR, MSG_SET_HEADERS, MSG_SET_DROPDOWNS})
        ASSERT_TRUE(sendToWindow(f.frame, message, kApply, kind));
    ASSERT_TRUE(sendToWindow(f.frame, MSG_SET_ICONS, kRestore, kind));
    ASSERT_TRUE(sendToWindow(f.frame, MSG_TOGGLE_MENUBAR));
    ASSERT_TRUE(sendToWindow(taskbar, MSG_RESTORE_ICONS));

    EXPECT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId));
    EXPECT_FALSE(hostBandHidden(host, f.rebar, kMenuBandId));
    EXPECT_FALSE(titleHidden(host, f.rebar));
    EXPECT_EQ(hostButtonStyles(host, f.mainToolbar), styles);
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controllerColours(kSlots, false, 0)));
    EXPECT_EQ(hostLedger(host)->live, 2u * kImages) << "the saved icons are kept";
    EXPECT_EQ(library.shared->savedLargeValid, 1);

    // The same message acts once customisation is on again.
    library.shared->inactive = 0;
    ASSERT_TRUE(sendToWindow(f.frame, MSG_SET_LOGO, kApply, kind));
    EXPECT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
}

TEST_F(Switches, NothingIsReappliedByItselfDuringARestoreWhileTheExportsStillAct) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    const FrameHandles later = hostFrame(host, frameOptions(FrameClass::Browser, true, false));
    ASSERT_NE(later.frame, nullptr);
    install();
    library.showHideAllLogo(1, 1);
    library.restoreAllLogo();
    ASSERT_EQ(library.shared->restoring, 1);
    ASSERT_EQ(library.shared->inactive, 0);
    ASSERT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId));
    library.shared->hideLogo[0] = library.shared->hideLogo[1] = 1;
    ASSERT_TRUE(record(host, {f.frame, later.frame}, reapplyTraffic()));

    // A frame shown and a frame re-laid out: no message, no timer (quiet for a while).
    ASSERT_TRUE(host.showWindow(later.frame, SW_SHOW));
    ASSERT_TRUE(host.send(f.rebar, RB_MAXIMIZEBAND, bandIndex(host, f.rebar, kLogoBandId)));
    tarvik::test::pumpFor(kQuietMs);
    EXPECT_TRUE(records(host).empty());
    EXPECT_FALSE(hostBandHidden(host, later.rebar, kLogoBandId));
    EXPECT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId));

    // The Customize dialog's return re-runs nothing either.
    RecorderConfig customize = privateMessagesOnly();
    customize.recordOnly(TB_CUSTOMIZE);
    ASSERT_TRUE(record(host, {f.frame, f.mainToolbar}, customize));
    ASSERT_TRUE(host.post(f.worker, WM_COMMAND, standin::kCommandCustomize, 0));
    HWND dialog = nullptr;
    ASSERT_TRUE(
        tarvik::test::pumpUntil([&] { return (dialog = dialogOf(host)) != nullptr; }, kHostWaitMs));
    ASSERT_TRUE(sendToWindow(dialog, WM_COMMAND, IDCANCEL, 0));
    ASSERT_TRUE(waitForRecords(
        host, [&](const std::vector<MessageRecord>& r) { return !r.empty() && r[0].hasResult(); }));
    // A send on the frame's thread is taken once the return hook is done.
    ASSERT_TRUE(host.send(f.frame, WM_NULL));
    const std::vector<MessageRecord> afterCustomize = records(host);
    ASSERT_EQ(afterCustomize.size(), 1u) << "only TB_CUSTOMIZE";
    EXPECT_EQ(afterCustomize[0].message, static_cast<UINT>(TB_CUSTOMIZE));

    // The exports' broadcasts still act, the restore switch stays.
    library.showHideAllLogo(1, 1);
    EXPECT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    EXPECT_TRUE(hostBandHidden(host, later.rebar, kLogoBandId));
    EXPECT_EQ(library.shared->restoring, 1);
}

TEST_F(Switches, AStyleChangeReappliesAfterTheLastRestoreButNotDuringOne) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Browser));
    install();
    IconTables icons = makeHostIcons(host, 24, 0);
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);
    library.changeAllToolbar();
    const std::vector<COLORREF> controller = controllerColours(kSlots, false, 0);
    const std::vector<COLORREF> native = nativeColours(kImages, false);

    // During a restore: the mark is made, the ideal-size query does nothing.
    ASSERT_TRUE(host.send(f.mainToolbar, WM_THEMECHANGED));
    library.setIcons(icons.hot.data(), icons.normal.data(), kSlots, 24); // sets swapped
    library.restoreAllLogo();
    ASSERT_EQ(library.shared->restoring, 1);
    ASSERT_TRUE(host.send(f.mainToolbar, TB_GETIDEALSIZE, FALSE, 0));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controller));

    // After restoreAllToolbar_EXPIE customisation is off, yet the marked toolbar's next
    // query puts the controller's icons on again.
    library.restoreAllToolbar();
    ASSERT_EQ(library.shared->inactive, 1);
    ASSERT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, native));
    ASSERT_TRUE(host.send(f.mainToolbar, TB_GETIDEALSIZE, FALSE, 0));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controllerColours(kSlots, true, 0)));
}

} // namespace
