// The exports called here, with the real DLL's hooks installed, reach frames in a
// stand-in shell host: the private messages recorded in the host, the real band
// and button state there afterwards, and the host's marks seen in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>

#include "control_test_util.h"
#include "library_under_test.h"
#include "sequence_assert.h"
#include "standin/client.h"

using namespace control_test;
using standin::FrameClass;
using tarvik::test::MatchMode;
using tarvik::test::sequenceMatches;

namespace {

class RemoteBroadcast : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(library.load(&error)) << error;
        saved.take(library.shared);
        ASSERT_TRUE(host.start()) << host.lastError();
        explorer = makeFrame(FrameClass::Explorer);
        browser = makeFrame(FrameClass::Browser);
        commandBar = makeFrame(FrameClass::BrowserWithCommandBar);
        ASSERT_EQ(library.installHook(library.module, notify.window), 0);
        clearLeftoverSwitches(*library.shared);
        auto recording = host.startRecording({explorer.frame, browser.frame, commandBar.frame},
                                             privateMessagesOnly());
        ASSERT_TRUE(recording) << recording.error;
        ASSERT_EQ(*recording, 3);
    }

    void TearDown() override {
        if (library.uninstallHook != nullptr) library.uninstallHook();
        EXPECT_TRUE(host.stop()) << "the host had to be killed";
        saved.putBack();
    }

    standin::FrameHandles makeFrame(FrameClass frameClass) {
        auto made = host.createFrame(frameOf(frameClass));
        EXPECT_TRUE(made) << made.error;
        return *made;
    }

    std::vector<MessageRecord> takeRecords() {
        auto records = host.records();
        EXPECT_TRUE(records) << records.error;
        auto restart = host.startRecording({explorer.frame, browser.frame, commandBar.frame},
                                           privateMessagesOnly());
        EXPECT_TRUE(restart) << restart.error;
        return *records;
    }

    // One message to each frame of the host, with its kind; none to the command-bar frame.
    // `listsToo`: the Explorer frame then gets the taskbar's step as well (the host holds
    // no taskbar, so its Explorer process is asked through that frame).
    void expectOneEach(UINT message, WPARAM wParam, bool listsToo = false) {
        const std::vector<MessageRecord> records = takeRecords();
        const tarvik::test::WindowNames names = {{explorer.frame, "host CabinetWClass"},
                                                 {browser.frame, "host IEFrame"},
                                                 {commandBar.frame, "host IEFrame+CommandBar"}};
        std::vector<Expected> toExplorer = {privateMessage(explorer.frame, message, wParam, 1)};
        if (listsToo) toExplorer.push_back(privateMessage(explorer.frame, MSG_RESTORE_ICONS, 0, 0));
        EXPECT_TRUE(sequenceMatches(recordsFor(records, explorer.frame), toExplorer,
                                    MatchMode::Exact, names));
        EXPECT_TRUE(sequenceMatches(recordsFor(records, browser.frame),
                                    {privateMessage(browser.frame, message, wParam, 2)},
                                    MatchMode::Exact, names));
        EXPECT_TRUE(recordsFor(records, commandBar.frame).empty());
    }

    bool bandHidden(const standin::FrameHandles& frame, UINT id) {
        auto bands = host.bands(frame.rebar);
        EXPECT_TRUE(bands) << bands.error;
        const standin::BandRecord band = bandWithId(*bands, id);
        EXPECT_EQ(band.wID, id) << "no band " << id;
        return hidden(band);
    }

    std::vector<BYTE> hostStyles(HWND toolbar) {
        auto buttons = host.buttons(toolbar);
        EXPECT_TRUE(buttons) << buttons.error;
        return stylesOf(*buttons);
    }

    LibraryUnderTest library;
    SavedBlock saved;
    standin::RemoteShell host;
    PlainWindow notify;
    standin::FrameHandles explorer{}, browser{}, commandBar{};
};

TEST_F(RemoteBroadcast, TheLogoSettingIsReadThereWhenTheHookActs) {
    ASSERT_FALSE(bandHidden(explorer, standin::kLogoBandId));
    EXPECT_NE(library.showHideAllLogo(1, 0), 0);
    expectOneEach(MSG_SET_LOGO, 1);
    EXPECT_TRUE(bandHidden(explorer, standin::kLogoBandId));
    EXPECT_FALSE(bandHidden(browser, standin::kLogoBandId));
    EXPECT_FALSE(bandHidden(commandBar, standin::kLogoBandId)) << "no frame, not touched";

    // The other way round: the new stores, not earlier ones, decide.
    library.showHideAllLogo(0, 1);
    expectOneEach(MSG_SET_LOGO, 1);
    EXPECT_FALSE(bandHidden(explorer, standin::kLogoBandId));
    EXPECT_TRUE(bandHidden(browser, standin::kLogoBandId));

    library.restoreAllLogo();
    expectOneEach(MSG_SET_LOGO, 2);
    EXPECT_FALSE(bandHidden(explorer, standin::kLogoBandId));
    EXPECT_FALSE(bandHidden(browser, standin::kLogoBandId));
}

TEST_F(RemoteBroadcast, TheMenuSettingIsReadThereWhenTheHookActs) {
    ASSERT_FALSE(bandHidden(explorer, standin::kMenuBandId));
    EXPECT_NE(library.showHideAllMenu(1, 0), 0);
    expectOneEach(MSG_SET_MENUBAR, 1);
    EXPECT_TRUE(bandHidden(explorer, standin::kMenuBandId));
    EXPECT_FALSE(bandHidden(browser, standin::kMenuBandId));

    library.showHideAllMenu(0, 1);
    expectOneEach(MSG_SET_MENUBAR, 1);
    EXPECT_FALSE(bandHidden(explorer, standin::kMenuBandId));
    EXPECT_TRUE(bandHidden(browser, standin::kMenuBandId));
    EXPECT_FALSE(bandHidden(commandBar, standin::kMenuBandId));

    library.restoreAllMenu();
    expectOneEach(MSG_SET_MENUBAR, 2);
    EXPECT_FALSE(bandHidden(browser, standin::kMenuBandId));
}

TEST_F(RemoteBroadcast, DropdownMarksMadeThereAreSeenHere) {
    for (auto& row : library.shared->dropdownTouched)
        for (int& touched : row)
            ASSERT_EQ(touched, 0) << "installation clears the marks";
    const std::vector<BYTE> browserBefore = hostStyles(browser.mainToolbar);
    const std::vector<BYTE> explorerBefore = hostStyles(explorer.mainToolbar);
    ASSERT_EQ(explorerBefore.size(), 8u) << "A D B S B B S W";

    EXPECT_NE(library.showHideAllDropdownArrow(1, 0), 0);
    expectOneEach(MSG_SET_DROPDOWNS, 1);
    std::vector<BYTE> expected = explorerBefore;
    expected[0] &= static_cast<BYTE>(~BTNS_DROPDOWN);
    expected[1] &= static_cast<BYTE>(~BTNS_DROPDOWN);
    EXPECT_EQ(hostStyles(explorer.mainToolbar), expected);
    EXPECT_EQ(hostStyles(browser.mainToolbar)[1] & BTNS_DROPDOWN, BTNS_DROPDOWN);
    // Marked by the hook in the host, read from this process's view of the block.
    EXPECT_EQ(library.shared->dropdownTouched[0][0], 1);
    EXPECT_EQ(library.shared->dropdownTouched[0][1], 1);
    EXPECT_EQ(library.shared->dropdownTouched[0][2], 0);
    // The browser frame was shown its arrows, which marks its drop-down buttons too.
    EXPECT_EQ(library.shared->dropdownTouched[1][0], 1);
    EXPECT_EQ(library.shared->dropdownTouched[1][1], 1);
    EXPECT_EQ(library.shared->dropdownTouched[1][2], 0);

    library.restoreAllDropdownArrow();
    expectOneEach(MSG_SET_DROPDOWNS, 2);
    const std::vector<BYTE> restored = hostStyles(explorer.mainToolbar);
    EXPECT_EQ(restored[0] & (BTNS_DROPDOWN | BTNS_AUTOSIZE), BTNS_DROPDOWN | BTNS_AUTOSIZE);
    EXPECT_EQ(restored[1] & (BTNS_DROPDOWN | BTNS_AUTOSIZE), BTNS_DROPDOWN | BTNS_AUTOSIZE);
}

TEST_F(RemoteBroadcast, EachExportReachesEveryHostFrame) {
    struct Case {
        const char* name;
        std::function<int()> call;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {"showHideAllHeader_EXPIE", [&] { return library.showHideAllHeader(0, 0); },
         MSG_SET_HEADERS, 1},
        {"restoreAllHeader_EXPIE", [&] { return library.restoreAllHeader(); }, MSG_SET_HEADERS, 2},
        {"showHideAllLogo_EXPIE", [&] { return library.showHideAllLogo(0, 0); }, MSG_SET_LOGO, 1},
        {"showHideAllMenu_EXPIE", [&] { return library.showHideAllMenu(0, 0); }, MSG_SET_MENUBAR,
         1},
        {"showHideAllDropdownArrow_EXPIE", [&] { return library.showHideAllDropdownArrow(0, 0); },
         MSG_SET_DROPDOWNS, 1},
        {"restoreAllToolbar_EXPIE", [&] { return library.restoreAllToolbar(); }, MSG_SET_ICONS, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.call();
        expectOneEach(c.message, c.wParam, c.message == MSG_SET_ICONS);
    }
    EXPECT_EQ(library.shared->inactive, 1);
    EXPECT_EQ(library.shared->restoring, 0);
}

} // namespace
