// The options build the odd frames tests need: other image sizes and button
// patterns, missing and duplicated pieces, band order, shared image lists, and
// where the rebar's notifications go while and after the frame is built.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include "recorder.h"
#include "pump.h"
#include "standin_test_util.h"

using namespace standin;
using namespace standin_test;

namespace {

FrameOptions hidden() {
    FrameOptions options;
    options.visible = false;
    return options;
}

// Ends the context menu's modal loop from inside it.
void CALLBACK endMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

// How long a context menu may stay open before the test's timer ends it.
constexpr UINT kMenuOpenMs = 100;

} // namespace

TEST(StandinOptions, ExplicitImageSizeAndCount) {
    FrameOptions options = hidden();
    options.imageSize = 17;
    options.imageCount = kMaxNativeImages;
    FrameGuard frame(options);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(frame->normalList, &cx, &cy));
    EXPECT_EQ(cx, 17);
    EXPECT_EQ(cy, 17);
    ASSERT_EQ(ImageList_GetImageCount(frame->normalList), kMaxNativeImages);
    ASSERT_EQ(ImageList_GetImageCount(frame->hotList), kMaxNativeImages);
    std::set<COLORREF> seen;
    for (int i = 0; i < kMaxNativeImages; ++i) {
        EXPECT_EQ(imageCentre(frame->normalList, i), nativeColor(i, false)) << i;
        EXPECT_EQ(imageCentre(frame->hotList, i), nativeColor(i, true)) << i;
        seen.insert(imageCentre(frame->normalList, i));
        seen.insert(imageCentre(frame->hotList, i));
    }
    EXPECT_EQ(seen.size(), 2u * kMaxNativeImages);
}

TEST(StandinOptions, ButtonPatternSetsStylesInOrder) {
    FrameOptions options = hidden();
    std::strcpy(options.buttons, "B S D A P W S B");
    options.imageCount = 8;
    FrameGuard frame(options);
    std::vector<ButtonRecord> buttons = snapshotButtons(frame->mainToolbar);
    constexpr BYTE kKinds = BTNS_SEP | BTNS_DROPDOWN | BTNS_AUTOSIZE | BTNS_WHOLEDROPDOWN;
    std::vector<int> kinds;
    for (const ButtonRecord& button : buttons)
        kinds.push_back(button.fsStyle & kKinds);
    EXPECT_EQ(kinds, (std::vector<int>{0, BTNS_SEP, BTNS_DROPDOWN, BTNS_DROPDOWN | BTNS_AUTOSIZE,
                                       BTNS_AUTOSIZE, BTNS_WHOLEDROPDOWN, BTNS_SEP, 0}));
    EXPECT_EQ(buttons.back().iBitmap, 5); // the sixth button, separators not counted
}

TEST(StandinOptions, PiecesCanBeLeftOut) {
    FrameOptions options = hidden();
    std::strcpy(options.bands, "TG");
    options.worker = false;
    options.hotImages = false;
    FrameGuard frame(options);
    EXPECT_EQ(frame->worker, nullptr);
    EXPECT_EQ(FindWindowExA(frame->frame, nullptr, "WorkerW", nullptr), nullptr);
    EXPECT_EQ(GetParent(frame->rebar), frame->frame);
    EXPECT_EQ(frame->menuToolbar, nullptr);
    EXPECT_EQ(frame->addressChild, nullptr);
    EXPECT_EQ(frame->linksToolbar, nullptr);
    EXPECT_EQ(bandIds(snapshotBands(frame->rebar)), (std::vector<UINT>{2, 5}));
    EXPECT_NE(SendMessageA(frame->mainToolbar, TB_GETIMAGELIST, 0, 0), 0);
    EXPECT_EQ(SendMessageA(frame->mainToolbar, TB_GETHOTIMAGELIST, 0, 0), 0);
    EXPECT_EQ(frame->hotList, nullptr);

    FrameOptions noNormal = hidden();
    noNormal.normalImages = false;
    FrameGuard second(noNormal);
    EXPECT_EQ(SendMessageA(second->mainToolbar, TB_GETIMAGELIST, 0, 0), 0);
    EXPECT_NE(SendMessageA(second->mainToolbar, TB_GETHOTIMAGELIST, 0, 0), 0);
}

TEST(StandinOptions, BandOrderAndTitles) {
    FrameOptions options = hidden();
    std::strcpy(options.bands, "GLATM");
    std::strcpy(options.addressTitle, "");
    std::strcpy(options.linksTitle, "Favourite Links");
    FrameGuard frame(options);
    std::vector<BandRecord> bands = snapshotBands(frame->rebar);
    EXPECT_EQ(bandIds(bands), (std::vector<UINT>{5, 4, 3, 2, 1}));
    ASSERT_EQ(bands.size(), 5u);
    EXPECT_STREQ(bands[1].text, "Favourite Links");
    EXPECT_STREQ(bands[2].text, "");
}

TEST(StandinOptions, DuplicatedAndStrayPieces) {
    FrameOptions options = hidden();
    options.secondRebar = true;
    options.secondMainToolbar = true;
    options.strayWorker = true;
    FrameGuard frame(options);
    const FrameHandles& h = frame.handles;

    // A second rebar beside the first, holding only a logo "WorkerW".
    EXPECT_EQ(GetParent(h.secondRebar), h.worker);
    EXPECT_EQ(classOf(h.secondRebar), "ReBarWindow32");
    std::vector<BandRecord> second = snapshotBands(h.secondRebar);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].wID, kLogoBandId);
    EXPECT_EQ(second[0].hwndChild, h.secondLogoWorker);
    EXPECT_EQ(classOf(h.secondLogoWorker), "WorkerW");

    // A second 0xA000 toolbar in band 6 of the first rebar, with lists of its own.
    EXPECT_EQ(GetWindowLongA(h.secondMainToolbar, GWL_ID), 0xA000);
    EXPECT_EQ(GetParent(h.secondMainToolbar), h.rebar);
    EXPECT_EQ(bandIds(snapshotBands(h.rebar)), (std::vector<UINT>{1, 2, 3, 4, 5, 6}));
    EXPECT_NE(h.secondNormalList, h.normalList);
    EXPECT_EQ(imageCentre(h.secondNormalList, 0), nativeColor(0, false));

    // The stray "WorkerW" is the frame's first child, hidden, in no rebar.
    EXPECT_EQ(GetWindow(h.frame, GW_CHILD), h.strayWorker);
    EXPECT_EQ(classOf(h.strayWorker), "WorkerW");
    EXPECT_FALSE(IsWindowVisible(h.strayWorker));
}

TEST(StandinOptions, SharedImageListsOutliveTheirFrames) {
    FrameOptions options = hidden();
    options.shareImageLists = true;
    HIMAGELIST normal = nullptr;
    {
        FrameGuard first(options);
        FrameGuard second(options);
        EXPECT_EQ(first->normalList, second->normalList);
        EXPECT_EQ(first->hotList, second->hotList);
        normal = first->normalList;
    }
    // As Explorer's shell lists, they stay usable after every frame is gone.
    EXPECT_EQ(ImageList_GetImageCount(normal), kDefaultImageCount);
    EXPECT_EQ(imageCentre(normal, 1), nativeColor(1, false));

    FrameGuard own(hidden());
    FrameGuard other(hidden());
    EXPECT_NE(own->normalList, other->normalList);
}

TEST(StandinOptions, RoutingDecidesWhoHearsTheBuild) {
    constexpr UINT kChildSize = static_cast<UINT>(RBN_CHILDSIZE);
    for (NotifyRouting routing :
         {NotifyRouting::Direct, NotifyRouting::AwayWhileBuilding, NotifyRouting::Away}) {
        SCOPED_TRACE(static_cast<int>(routing));
        NotifyCounter counter(kChildSize);
        ASSERT_TRUE(counter.hooked());
        FrameOptions options = hidden();
        options.routing = routing;
        FrameGuard frame(options);
        const FrameHandles& h = frame.handles;
        if (routing == NotifyRouting::Direct) {
            EXPECT_EQ(h.notifySink, nullptr);
            EXPECT_GT(counter.count(h.worker), 0);
        } else {
            EXPECT_NE(h.notifySink, nullptr);
            EXPECT_EQ(counter.count(h.worker), 0);
            EXPECT_GT(counter.count(h.notifySink), 0);
        }

        // After the build: hiding a band notifies the "WorkerW" unless routed away for good.
        counter.reset();
        int index = static_cast<int>(SendMessageA(h.rebar, RB_IDTOINDEX, kAddressBandId, 0));
        ASSERT_EQ(SendMessageA(h.rebar, RB_SHOWBAND, index, FALSE), 1);
        if (routing == NotifyRouting::Away) {
            EXPECT_EQ(counter.count(h.worker), 0);
            EXPECT_GT(counter.count(h.notifySink), 0);
        } else {
            EXPECT_GT(counter.count(h.worker), 0);
            EXPECT_EQ(counter.count(h.notifySink), 0);
        }
    }
}

TEST(StandinOptions, WorkerOwnsTheBarContextMenu) {
    FrameGuard frame(hidden());
    const FrameHandles& h = frame.handles;
    tarvik::test::MessageRecorder recorder;
    ASSERT_TRUE(recorder.attach(h.worker));
    std::vector<UINT> firstItemStates;
    recorder.before(h.worker, WM_INITMENUPOPUP, [&](const tarvik::test::MessageRecord& record) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STATE;
        GetMenuItemInfoA(reinterpret_cast<HMENU>(record.wParam), 0, TRUE, &item);
        firstItemStates.push_back(item.fState);
    });
    ShowWindow(h.frame, SW_SHOWNOACTIVATE);
    RECT bar;
    GetWindowRect(h.mainToolbar, &bar);
    LPARAM where = MAKELPARAM(bar.left + 4, bar.top + 4);

    SetTimer(nullptr, 0, kMenuOpenMs, endMenu);
    SendMessageA(h.worker, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h.mainToolbar), where);
    // With the main toolbar's band hidden, the first item ("Standard Buttons") is clear.
    int index = static_cast<int>(SendMessageA(h.rebar, RB_IDTOINDEX, kToolbarBandId, 0));
    SendMessageA(h.rebar, RB_SHOWBAND, index, FALSE);
    SetTimer(nullptr, 0, kMenuOpenMs, endMenu);
    SendMessageA(h.worker, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h.mainToolbar), where);

    ASSERT_EQ(firstItemStates.size(), 2u);
    EXPECT_TRUE(firstItemStates[0] & MFS_CHECKED);
    EXPECT_FALSE(firstItemStates[1] & MFS_CHECKED);
    // The menu's choice comes back to the "WorkerW" as a posted command.
    PostMessageA(h.worker, WM_COMMAND, kCommandStandardButtons, 0);
    tarvik::test::pumpFor(50);
    EXPECT_EQ(snapshotBands(h.rebar)[index].fStyle & RBBS_HIDDEN, 0u);
}

TEST(StandinOptions, WorkerOffersTheButtonsToCustomize) {
    FrameGuard frame(hidden());
    char text[64] = {};
    NMTOOLBARA info{};
    info.hdr.hwndFrom = frame->mainToolbar;
    info.hdr.idFrom = kMainToolbarId;
    info.hdr.code = TBN_GETBUTTONINFOA;
    info.pszText = text;
    info.cchText = sizeof(text);
    info.iItem = 1;
    EXPECT_TRUE(
        SendMessageA(frame->worker, WM_NOTIFY, kMainToolbarId, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, "Forward");
    EXPECT_EQ(info.tbButton.idCommand, kFirstButtonCommand + 1);
    info.iItem = 6; // the default pattern has six buttons
    EXPECT_FALSE(
        SendMessageA(frame->worker, WM_NOTIFY, kMainToolbarId, reinterpret_cast<LPARAM>(&info)));
}

// Dark (text) pixels in a band's header right of its gripper, as the screen shows them.
int titlePixels(HWND rebar, UINT bandId) {
    const auto index = static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, bandId, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_HEADERSIZE;
    SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    RECT rect{};
    SendMessageA(rebar, RB_GETRECT, index, reinterpret_cast<LPARAM>(&rect));
    RedrawWindow(rebar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(rebar);
    int dark = 0;
    for (LONG x = rect.left + 6; x < rect.left + static_cast<LONG>(band.cxHeader); ++x)
        for (LONG y = rect.top; y < rect.bottom; ++y) {
            const COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80) ++dark;
        }
    ReleaseDC(rebar, dc);
    return dark;
}

// Wine's rebar draws a hidden title once a header width is set (the library hides the
// address title in 18 pixels); the Windows model draws none, and still a shown title.
TEST(StandinOptions, HiddenTitlesAreUndrawnInTheWindowsModel) {
    for (bool model : {false, true}) {
        FrameOptions options;
        options.undrawnHiddenTitles = model;
        FrameGuard frame(options);
        tarvik::test::pumpFor(100);
        EXPECT_GT(titlePixels(frame->rebar, kAddressBandId), 0) << "shown title, model " << model;
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_STYLE | RBBIM_HEADERSIZE;
        const int address =
            static_cast<int>(SendMessageA(frame->rebar, RB_IDTOINDEX, kAddressBandId, 0));
        SendMessageA(frame->rebar, RB_GETBANDINFOA, address, reinterpret_cast<LPARAM>(&band));
        band.fStyle |= RBBS_HIDETITLE;
        band.cxHeader = 18;
        SendMessageA(frame->rebar, RB_SETBANDINFOA, address, reinterpret_cast<LPARAM>(&band));
        if (model)
            EXPECT_EQ(titlePixels(frame->rebar, kAddressBandId), 0);
        else
            EXPECT_GT(titlePixels(frame->rebar, kAddressBandId), 0) << "Wine no longer draws it";
    }
}
