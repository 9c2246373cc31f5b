// The library keeps its settings in force with no export called: frames shown
// later get them, a frame's own rebar re-layout is undone by one re-application
// after the 1 ms timer, the Customize dialog's return re-runs the change, a
// visual-style change re-applies the icons, and a closing browser frame frees
// its process's saved icons.
#include "hook_bench.h"
#include "pump.h"
#include "sequence_assert.h"
#include "upkeep_helpers.h"

using namespace hooktest;
using standin::kLogoBandId;
using standin::kMenuBandId;
using tarvik::test::msg;

namespace {

class Upkeep : public HookBench {};

TEST_F(Upkeep, FramesShownAfterTheSettingsGetThemAndExplorerIconsOncePerProcess) {
    RemoteShell& host = startHost();
    install();
    IconTables icons = makeHostIcons(host, 24, 0);
    ASSERT_EQ(icons.error, "");
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);
    library.changeAllToolbar(); // no frame yet
    library.showHideAllLogo(1, 1);
    library.showHideAllMenu(1, 1);
    library.showHideAllHeader(1, 1);
    library.showHideAllDropdownArrow(1, 1);
    ASSERT_EQ(library.shared->explorerIconsApplied, 0);

    // Explorer's frames share the shell's lists in their process.
    standin::FrameOptions explorer = frameOptions(FrameClass::Explorer, true, false);
    explorer.shareImageLists = true;
    const FrameHandles first = hostFrame(host, explorer);
    const FrameHandles second = hostFrame(host, explorer);
    ASSERT_NE(second.frame, nullptr);
    ASSERT_TRUE(record(host, {first.frame, second.frame}, privateMessagesOnly()));
    ASSERT_TRUE(host.showWindow(first.frame, SW_SHOW));

    // Showing sends WM_SHOWWINDOW and then WM_WINDOWPOSCHANGED: two runs, the icons
    // only in the first, whose fill leaves this process's shared lists current.
    const LPARAM kind = TARVIK_KIND_EXPLORER;
    const std::vector<Expected> firstShow = {
        privateMessage(first.frame, MSG_SET_ICONS, kApply, kind),
        privateMessage(first.frame, MSG_SET_LOGO, kApply, kind),
        privateMessage(first.frame, MSG_SET_MENUBAR, kRehide, kind),
        privateMessage(first.frame, MSG_SET_DROPDOWNS, kApply, kind),
        privateMessage(first.frame, MSG_SET_LOGO, kApply, kind),
        privateMessage(first.frame, MSG_SET_MENUBAR, kRehide, kind),
        privateMessage(first.frame, MSG_SET_DROPDOWNS, kApply, kind),
    };
    EXPECT_TRUE(tarvik::test::sequenceMatches(records(host), firstShow));
    EXPECT_EQ(library.shared->explorerIconsApplied, 1);
    EXPECT_TRUE(
        hostListHolds(host, first.mainToolbar, false, 24, controllerColours(kSlots, false, 0)));
    EXPECT_TRUE(hostBandHidden(host, first.rebar, kLogoBandId));
    EXPECT_TRUE(hostBandHidden(host, first.rebar, kMenuBandId));
    EXPECT_FALSE(hostButtonStyles(host, first.mainToolbar)[0] & BTNS_DROPDOWN);
    EXPECT_FALSE(titleHidden(host, first.rebar)) << "band titles are not kept up";

    // A second Explorer frame of the process gets the band settings but no icon message:
    // it shows the lists the first one's fill left current.
    ASSERT_TRUE(record(host, {first.frame, second.frame}, privateMessagesOnly()));
    ASSERT_TRUE(host.showWindow(second.frame, SW_SHOW));
    const std::vector<MessageRecord> secondShow = records(host);
    EXPECT_EQ(countOf(secondShow, second.frame, MSG_SET_ICONS), 0);
    EXPECT_EQ(countOf(secondShow, second.frame, MSG_SET_LOGO), 2);
    EXPECT_EQ(recordsFor(secondShow, first.frame).size(), 0u);
    EXPECT_TRUE(hostBandHidden(host, second.rebar, kLogoBandId));
    EXPECT_TRUE(hostBandHidden(host, second.rebar, kMenuBandId));
    EXPECT_TRUE(
        hostListHolds(host, second.mainToolbar, false, 24, controllerColours(kSlots, false, 0)));

    // Hiding a frame re-applies nothing.
    ASSERT_TRUE(record(host, {first.frame, second.frame}, privateMessagesOnly()));
    ASSERT_TRUE(host.showWindow(second.frame, SW_HIDE));
    EXPECT_EQ(records(host).size(), 0u);
}

TEST_F(Upkeep, ABurstOfRelayoutsByTheFrameIsUndoneByOneReapplication) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    install();
    library.showHideAllLogo(1, 1);
    library.showHideAllDropdownArrow(1, 1);
    ASSERT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    const int logo = bandIndex(host, f.rebar, kLogoBandId);
    const int address = bandIndex(host, f.rebar, standin::kAddressBandId);
    RecorderConfig config = reapplyTraffic();
    config.recordOnly(WM_NOTIFY);
    ASSERT_TRUE(record(host, {f.frame, f.worker}, config));

    // The frame's thread is held while the rebar re-lays out five times: the ticks can
    // only come after the whole burst.
    HostThreadHold hold;
    ASSERT_TRUE(hold.hold(host, f.frame, [&] {
        sendToWindow(f.rebar, RB_SHOWBAND, logo, TRUE);
        for (int i = 0; i < 2; ++i) {
            sendToWindow(f.rebar, RB_MAXIMIZEBAND, address, 0);
            sendToWindow(f.rebar, RB_MINIMIZEBAND, address, 0);
        }
    }));
    ASSERT_TRUE(waitForRecords(
        host, [&](const std::vector<MessageRecord>& r) { return reapplyTicks(r, f.frame) >= 1; }));
    tarvik::test::pumpFor(kQuietMs);
    const std::vector<MessageRecord> seen = records(host);
    int childSizes = 0;
    for (const MessageRecord& record : recordsFor(seen, f.worker))
        childSizes +=
            record.message == WM_NOTIFY && record.notifyCode == static_cast<UINT>(RBN_CHILDSIZE);
    EXPECT_GE(childSizes, 5);
    EXPECT_EQ(reapplyTicks(seen, f.frame), 1);
    EXPECT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    // The tick calls the walks itself: no private message.
    EXPECT_EQ(countOf(seen, f.frame, MSG_SET_LOGO), 0);
}

TEST_F(Upkeep, TheTickUsesTheHideFlagsStoredWhenItRuns) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    install();
    library.showHideAllLogo(0, 0);
    library.showHideAllHeader(0, 0);
    ASSERT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId));
    const int address = bandIndex(host, f.rebar, standin::kAddressBandId);
    ASSERT_TRUE(record(host, {f.frame}, reapplyTraffic()));

    // Between the frame's re-layout and the tick, another controller stores new flags
    // without a broadcast.
    HostThreadHold hold;
    ASSERT_TRUE(hold.hold(host, f.frame, [&] {
        sendToWindow(f.rebar, RB_MAXIMIZEBAND, address, 0);
        library.shared->hideLogo[0] = 1;
        library.shared->hideHeader[0] = 1;
    }));
    ASSERT_TRUE(waitForRecords(
        host, [&](const std::vector<MessageRecord>& r) { return reapplyTicks(r, f.frame) == 1; }));
    EXPECT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    EXPECT_TRUE(titleHidden(host, f.rebar));
}

// A tick armed by a re-layout just before a restore comes after it: it must not
// restyle the frame the restore has just put back.
TEST_F(Upkeep, ATickArmedBeforeARestoreLeavesTheRestoredFrameAlone) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    install();
    library.showHideAllLogo(1, 1);
    ASSERT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    const int address = bandIndex(host, f.rebar, standin::kAddressBandId);
    ASSERT_TRUE(record(host, {f.frame}, reapplyTraffic()));

    HostThreadHold hold;
    ASSERT_TRUE(hold.hold(host, f.frame, [&] {
        sendToWindow(f.rebar, RB_MAXIMIZEBAND, address, 0);
        library.restoreAllLogo();
    }));
    ASSERT_TRUE(waitForRecords(
        host, [&](const std::vector<MessageRecord>& r) { return reapplyTicks(r, f.frame) == 1; }));
    EXPECT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId)) << "restoring: the tick hid it";

    // The same after the whole restore, with customisation off.
    library.restoreAllToolbar();
    library.showHideAllLogo(1, 1);
    ASSERT_TRUE(hostBandHidden(host, f.rebar, kLogoBandId));
    ASSERT_TRUE(record(host, {f.frame}, reapplyTraffic()));
    ASSERT_TRUE(hold.hold(host, f.frame, [&] {
        sendToWindow(f.rebar, RB_MINIMIZEBAND, address, 0);
        library.restoreAllLogo();
        library.restoreAllToolbar();
    }));
    ASSERT_TRUE(waitForRecords(
        host, [&](const std::vector<MessageRecord>& r) { return reapplyTicks(r, f.frame) == 1; }));
    EXPECT_FALSE(hostBandHidden(host, f.rebar, kLogoBandId)) << "off: the tick hid it";
}

TEST_F(Upkeep, TheTickShowsExplorersMenuBandAndLeavesTheBrowsers) {
    RemoteShell& host = startHost();
    const FrameHandles explorer = hostFrame(host, frameOptions(FrameClass::Explorer));
    const FrameHandles browser = hostFrame(host, frameOptions(FrameClass::Browser));
    install();
    library.showHideAllMenu(0, 0);
    ASSERT_TRUE(record(host, {explorer.frame, browser.frame}, reapplyTraffic()));

    // Each frame hides its own menu band (a re-layout): with nothing hidden by the settings,
    // Explorer's tick shows it again, the browser's leaves it.
    for (const FrameHandles* f : {&explorer, &browser})
        ASSERT_TRUE(
            host.send(f->rebar, RB_SHOWBAND, bandIndex(host, f->rebar, kMenuBandId), FALSE));
    ASSERT_TRUE(waitForRecords(host, [&](const std::vector<MessageRecord>& r) {
        return reapplyTicks(r, explorer.frame) >= 1 && reapplyTicks(r, browser.frame) >= 1;
    }));
    EXPECT_FALSE(hostBandHidden(host, explorer.rebar, kMenuBandId));
    EXPECT_TRUE(hostBandHidden(host, browser.rebar, kMenuBandId));

    // With the browser's band hidden by the settings, its tick hides a band it showed.
    library.showHideAllMenu(0, 1);
    ASSERT_TRUE(record(host, {browser.frame}, reapplyTraffic()));
    ASSERT_TRUE(
        host.send(browser.rebar, RB_SHOWBAND, bandIndex(host, browser.rebar, kMenuBandId), TRUE));
    ASSERT_TRUE(waitForRecords(host, [&](const std::vector<MessageRecord>& r) {
        return reapplyTicks(r, browser.frame) >= 1;
    }));
    EXPECT_TRUE(hostBandHidden(host, browser.rebar, kMenuBandId));
}

TEST_F(Upkeep, TheCustomizeDialogsReturnRerunsTheChangeInEveryProcess) {
    RemoteShell& a = startHost();
    RemoteShell& b = startHost();
    const FrameHandles explorer = hostFrame(a, frameOptions(FrameClass::Explorer));
    const FrameHandles browser = hostFrame(b, frameOptions(FrameClass::Browser));
    ASSERT_NE(browser.frame, nullptr);
    install();
    library.changeAllToolbar();
    RecorderConfig config = privateMessagesOnly();
    config.recordOnly(TB_CUSTOMIZE);
    ASSERT_TRUE(record(a, {explorer.frame, explorer.mainToolbar}, config));
    ASSERT_TRUE(record(b, {browser.frame}, privateMessagesOnly()));

    // The frame's "Customize..." command runs TB_CUSTOMIZE, whose real dialog stays up
    // until it is cancelled from here.
    ASSERT_TRUE(a.post(explorer.worker, WM_COMMAND, standin::kCommandCustomize, 0));
    HWND dialog = nullptr;
    ASSERT_TRUE(
        tarvik::test::pumpUntil([&] { return (dialog = dialogOf(a)) != nullptr; }, kHostWaitMs));
    EXPECT_TRUE(recordsFor(records(b), browser.frame).empty()) << "nothing before the return";
    ASSERT_TRUE(sendToWindow(dialog, WM_COMMAND, IDCANCEL, 0));

    // changeAllToolbar_EXPIE runs on the frame's thread in process A and reaches both.
    const auto broadcastDone = [](HWND frame) {
        return [frame](const std::vector<MessageRecord>& r) {
            return countOf(r, frame, MSG_SET_ICONS) == 1;
        };
    };
    ASSERT_TRUE(waitForRecords(a, broadcastDone(explorer.frame), kHostWaitMs));
    ASSERT_TRUE(waitForRecords(b, broadcastDone(browser.frame), kHostWaitMs));
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        records(a), {msg(TB_CUSTOMIZE).on(explorer.mainToolbar),
                     privateMessage(explorer.frame, MSG_SET_ICONS, kApply, TARVIK_KIND_EXPLORER)}));
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        records(b), {privateMessage(browser.frame, MSG_SET_ICONS, kApply, TARVIK_KIND_IE)}));
}

TEST_F(Upkeep, AStyleChangeOnTheToolbarReappliesTheIconsAtItsNextIdealSize) {
    RemoteShell& host = startHost();
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Browser));
    install();
    IconTables before = makeHostIcons(host, 24, 0);
    IconTables after = makeHostIcons(host, 24, 1);
    ASSERT_EQ(before.error + after.error, "");
    library.setIcons(before.normal.data(), before.hot.data(), kSlots, 24);
    library.changeAllToolbar();
    // New tables stored, no broadcast: only a re-application can bring them.
    library.setIcons(after.normal.data(), after.hot.data(), kSlots, 24);

    ASSERT_TRUE(host.send(f.mainToolbar, TB_GETIDEALSIZE, FALSE, 0));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controllerColours(kSlots, false, 0)))
        << "no style change yet";
    ASSERT_TRUE(host.send(f.mainToolbar, WM_THEMECHANGED));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controllerColours(kSlots, false, 0)))
        << "the change itself only marks";
    ASSERT_TRUE(host.send(f.mainToolbar, TB_GETIDEALSIZE, FALSE, 0));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, false, 24, controllerColours(kSlots, false, 1)));
    EXPECT_TRUE(hostListHolds(host, f.mainToolbar, true, 24, controllerColours(kSlots, true, 1)));
}

TEST_F(Upkeep, AStyleChangeOnTheTaskbarForgetsExplorersLists) {
    RemoteShell& host = startHost();
    const HWND taskbar = hostTaskbar(host);
    const FrameHandles f = hostFrame(host, frameOptions(FrameClass::Explorer));
    ASSERT_NE(f.frame, nullptr);
    install();
    IconTables icons = makeHostIcons(host, 24, 0);
    library.setIcons(icons.normal.data(), icons.hot.data(), kSlots, 24);
    library.changeAllToolbar();
    ASSERT_EQ(library.shared->explorerIconsApplied, 1);
    ASSERT_EQ(library.shared->explorerLargeList, f.normalList);
    ASSERT_EQ(library.shared->explorerLargeHotList, f.hotList);

    ASSERT_TRUE(host.send(taskbar, WM_THEMECHANGED));
    EXPECT_EQ(library.shared->explorerIconsApplied, 0);
    EXPECT_EQ(library.shared->explorerLargeList, nullptr);
    EXPECT_EQ(library.shared->explorerLargeHotList, nullptr);
}

TEST_F(Upkeep, ClosingABrowserFrameFreesTheSavedIconsOfItsProcessOnly) {
    RemoteShell& closing = startHost();
    RemoteShell& staying = startHost();
    const FrameHandles gone = hostFrame(closing, frameOptions(FrameClass::Browser));
    const FrameHandles kept = hostFrame(staying, frameOptions(FrameClass::Browser, false));
    ASSERT_NE(kept.frame, nullptr);
    ASSERT_EQ(startHostLedger(closing), "");
    ASSERT_EQ(startHostLedger(staying), "");
    install();
    IconTables large = makeHostIcons(closing, 24, 0);
    IconTables small = makeHostIcons(staying, 16, 0);
    library.setIcons(large.normal.data(), large.hot.data(), kSlots, 24);
    library.setSmallIcons(small.normal.data(), small.hot.data(), kSlots, 16);
    library.changeAllToolbar();
    ASSERT_EQ(hostLedger(closing)->live, 2u * kImages);
    ASSERT_EQ(hostLedger(staying)->live, 2u * kImages);

    // Posted, as the close button does: through the frame's queue.
    ASSERT_TRUE(PostMessageA(gone.frame, WM_CLOSE, 0, 0));
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return !IsWindow(gone.frame); }, kHostWaitMs));
    auto counts = hostLedger(closing);
    ASSERT_TRUE(counts) << counts.error;
    EXPECT_TRUE(ledgerBalanced(*counts));
    EXPECT_EQ(counts->created, 2u * kImages);
    EXPECT_EQ(hostLedger(staying)->live, 2u * kImages);
}

} // namespace
