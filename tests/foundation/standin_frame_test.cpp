// The default stand-in frames have exactly the window structure the hook library
// relies on: classes, control ids, band ids and order, parentage, toolbars and
// the native images' sizes and centre colours.
#include <gtest/gtest.h>

#include <set>
#include "standin_test_util.h"

using namespace standin;
using namespace standin_test;

namespace {

FrameOptions hiddenFrame(FrameClass frameClass = FrameClass::Explorer) {
    FrameOptions options;
    options.frameClass = frameClass;
    options.visible = false;
    return options;
}

} // namespace

TEST(StandinFrame, ExplorerFrameHasTheShellWindowChain) {
    FrameGuard frame(hiddenFrame());
    const FrameHandles& h = frame.handles;
    ASSERT_NE(h.frame, nullptr);

    EXPECT_EQ(classOf(h.frame), "CabinetWClass");
    EXPECT_EQ(GetAncestor(h.frame, GA_ROOT), h.frame);
    EXPECT_EQ(classOf(h.worker), "WorkerW");
    EXPECT_EQ(GetParent(h.worker), h.frame);
    EXPECT_EQ(classOf(h.rebar), "ReBarWindow32");
    EXPECT_EQ(GetParent(h.rebar), h.worker);
    LONG rebarStyle = GetWindowLongA(h.rebar, GWL_STYLE);
    EXPECT_EQ(rebarStyle & (RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN),
              RBS_VARHEIGHT | RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN);
    // No frame class has a command bar unless asked for.
    EXPECT_EQ(FindWindowExA(h.frame, nullptr, "CommandBarClass", nullptr), nullptr);

    std::vector<BandRecord> bands = snapshotBands(h.rebar);
    ASSERT_EQ(bandIds(bands), (std::vector<UINT>{kMenuBandId, kToolbarBandId, kAddressBandId,
                                                 kLinksBandId, kLogoBandId}));
    EXPECT_EQ(bands[0].hwndChild, h.menuToolbar);
    EXPECT_EQ(bands[1].hwndChild, h.mainToolbar);
    EXPECT_EQ(bands[2].hwndChild, h.addressChild);
    EXPECT_EQ(bands[3].hwndChild, h.linksToolbar);
    EXPECT_EQ(bands[4].hwndChild, h.logoWorker);
    EXPECT_STREQ(bands[0].text, "");
    EXPECT_STREQ(bands[1].text, "");
    EXPECT_STREQ(bands[2].text, "Address");
    EXPECT_STREQ(bands[3].text, "Links");
    for (const BandRecord& band : bands)
        EXPECT_EQ(band.fStyle & RBBS_HIDDEN, 0u) << "band " << band.wID;

    // Menu band: a toolbar with id 0 and no window text, child of the rebar.
    EXPECT_EQ(classOf(h.menuToolbar), "ToolbarWindow32");
    EXPECT_EQ(GetWindowLongA(h.menuToolbar, GWL_ID), 0);
    EXPECT_EQ(GetWindowTextLengthA(h.menuToolbar), 0);
    EXPECT_EQ(GetParent(h.menuToolbar), h.rebar);
    // Main toolbar: id 0xA000 under the rebar; links toolbar: another id and a text.
    EXPECT_EQ(classOf(h.mainToolbar), "ToolbarWindow32");
    EXPECT_EQ(GetWindowLongA(h.mainToolbar, GWL_ID), 0xA000);
    EXPECT_EQ(GetParent(h.mainToolbar), h.rebar);
    EXPECT_EQ(classOf(h.linksToolbar), "ToolbarWindow32");
    EXPECT_NE(GetWindowLongA(h.linksToolbar, GWL_ID), 0xA000);
    EXPECT_NE(GetWindowLongA(h.linksToolbar, GWL_ID), 0);
    EXPECT_EQ(textOf(h.linksToolbar), "Links");
    // Logo band: a "WorkerW" directly in the rebar.
    EXPECT_EQ(classOf(h.logoWorker), "WorkerW");
    EXPECT_EQ(GetParent(h.logoWorker), h.rebar);

    // The client area lies under the "WorkerW".
    EXPECT_EQ(classOf(h.content), "SysListView32");
    EXPECT_EQ(classOf(h.statusBar), "msctls_statusbar32");
    EXPECT_EQ(SendMessageA(h.content, LVM_GETITEMCOUNT, 0, 0), 6);
    RECT worker, content;
    GetWindowRect(h.worker, &worker);
    GetWindowRect(h.content, &content);
    EXPECT_GT(worker.bottom - worker.top, 0);
    EXPECT_GE(content.top, worker.bottom);
}

TEST(StandinFrame, FrameClassesAndTheCommandBarVariant) {
    FrameGuard tree(hiddenFrame(FrameClass::ExplorerTree));
    FrameGuard browser(hiddenFrame(FrameClass::Browser));
    FrameGuard commandBar(hiddenFrame(FrameClass::BrowserWithCommandBar));
    EXPECT_EQ(classOf(tree->frame), "ExploreWClass");
    EXPECT_EQ(classOf(browser->frame), "IEFrame");
    EXPECT_EQ(classOf(commandBar->frame), "IEFrame");

    EXPECT_EQ(FindWindowExA(browser->frame, nullptr, "CommandBarClass", nullptr), nullptr);
    HWND bar = FindWindowExA(commandBar->frame, nullptr, "CommandBarClass", nullptr);
    EXPECT_NE(bar, nullptr);
    EXPECT_EQ(bar, commandBar->commandBar);
    EXPECT_EQ(GetParent(bar), commandBar->frame);
    // The browser frames keep the same chain under the frame.
    for (const FrameHandles* h : {&browser.handles, &commandBar.handles}) {
        EXPECT_EQ(GetParent(h->rebar), h->worker);
        EXPECT_EQ(bandIds(snapshotBands(h->rebar)), (std::vector<UINT>{1, 2, 3, 4, 5}));
        EXPECT_EQ(classOf(h->content), "Internet Explorer_Server");
    }
}

TEST(StandinFrame, MenuBarIsAListOfTextButtons) {
    FrameGuard frame(hiddenFrame());
    LONG style = GetWindowLongA(frame->menuToolbar, GWL_STYLE);
    EXPECT_EQ(style & (TBSTYLE_LIST | TBSTYLE_FLAT), TBSTYLE_LIST | TBSTYLE_FLAT);
    std::vector<ButtonRecord> buttons = snapshotButtons(frame->menuToolbar);
    std::vector<std::string> labels;
    for (const ButtonRecord& button : buttons)
        labels.push_back(button.text);
    EXPECT_EQ(labels,
              (std::vector<std::string>{"File", "Edit", "View", "Favorites", "Tools", "Help"}));
    EXPECT_EQ(SendMessageA(frame->menuToolbar, TB_GETIMAGELIST, 0, 0), 0);
}

TEST(StandinFrame, MainToolbarButtonsFollowThePattern) {
    FrameGuard frame(hiddenFrame());
    HWND toolbar = frame->mainToolbar;
    LRESULT extended = SendMessageA(toolbar, TB_GETEXTENDEDSTYLE, 0, 0);
    EXPECT_TRUE(extended & TBSTYLE_EX_DRAWDDARROWS);

    // Default pattern "A D B S B B S W".
    std::vector<ButtonRecord> buttons = snapshotButtons(toolbar);
    ASSERT_EQ(buttons.size(), 8u);
    constexpr BYTE kKinds = BTNS_SEP | BTNS_DROPDOWN | BTNS_AUTOSIZE | BTNS_WHOLEDROPDOWN;
    const BYTE expected[] = {BTNS_DROPDOWN | BTNS_AUTOSIZE,
                             BTNS_DROPDOWN,
                             0,
                             BTNS_SEP,
                             0,
                             0,
                             BTNS_SEP,
                             BTNS_WHOLEDROPDOWN};
    const char* labels[] = {"Back", "Forward", "Up", "", "Search", "Folders", "", "Views"};
    int image = 0;
    for (size_t i = 0; i < buttons.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i].fsStyle & kKinds, expected[i]);
        EXPECT_STREQ(buttons[i].text, labels[i]);
        if (expected[i] == BTNS_SEP) continue;
        EXPECT_EQ(buttons[i].idCommand, kFirstButtonCommand + image);
        EXPECT_EQ(buttons[i].iBitmap, image);
        ++image;
    }
}

TEST(StandinFrame, NativeImagesHaveKnownCentresAndMasks) {
    FrameGuard frame(hiddenFrame());
    HWND toolbar = frame->mainToolbar;
    auto normal = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
    auto hot = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0));
    ASSERT_EQ(normal, frame->normalList);
    ASSERT_EQ(hot, frame->hotList);
    ASSERT_NE(normal, hot);

    std::set<COLORREF> seen;
    for (auto [list, isHot] : {std::pair{normal, false}, std::pair{hot, true}}) {
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
        EXPECT_EQ(cx, kLargeImageSize);
        EXPECT_EQ(cy, kLargeImageSize);
        ASSERT_EQ(ImageList_GetImageCount(list), kDefaultImageCount);
        for (int i = 0; i < kDefaultImageCount; ++i) {
            COLORREF centre = imageCentre(list, i);
            EXPECT_EQ(centre, nativeColor(i, isHot)) << "image " << i << (isHot ? " hot" : "");
            seen.insert(centre);
        }
        // The corner of the first glyph (an arrow) is masked out: it shows the background.
        EXPECT_EQ(imagePixel(list, 0, 0, 0), kProbeBackground);
    }
    EXPECT_EQ(seen.size(), 2u * kDefaultImageCount) << "centre colours must all differ";
    EXPECT_EQ(seen.count(kProbeBackground), 0u);
}

TEST(StandinFrame, SmallFramesUseSixteenPixelImages) {
    FrameOptions options = hiddenFrame();
    options.large = false;
    FrameGuard frame(options);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(frame->normalList, &cx, &cy));
    EXPECT_EQ(cx, kSmallImageSize);
    EXPECT_EQ(cy, kSmallImageSize);
    ASSERT_TRUE(ImageList_GetIconSize(frame->hotList, &cx, &cy));
    EXPECT_EQ(cx, kSmallImageSize);
    EXPECT_EQ(frame->imageSize, kSmallImageSize);
    EXPECT_EQ(imageCentre(frame->hotList, 3), nativeColor(3, true));
}

TEST(StandinFrame, SolidIconsDrawTheirColourIntoImageLists) {
    constexpr COLORREF kColour = RGB(12, 200, 34);
    HICON icon = createSolidIcon(kLargeImageSize, kColour);
    ASSERT_NE(icon, nullptr);
    int width = 0, height = 0;
    EXPECT_EQ(iconCentre(icon, &width, &height), kColour);
    EXPECT_EQ(width, kLargeImageSize);
    EXPECT_EQ(height, kLargeImageSize);
    // As the hook library refills a toolbar's list: replace a native image by the icon.
    HIMAGELIST list = createNativeImageList(kLargeImageSize, 4, false);
    ASSERT_EQ(ImageList_ReplaceIcon(list, 2, icon), 2);
    EXPECT_EQ(imageCentre(list, 2), kColour);
    EXPECT_EQ(imagePixel(list, 2, 0, 0), kColour); // opaque all over
    EXPECT_EQ(imageCentre(list, 1), nativeColor(1, false));
    ImageList_Destroy(list);
    DestroyIcon(icon);
}
