// Every export, called from this process, changes the frames of two other
// processes through the hooks, and every restore puts them back as built; the
// last restore switches customisation off and each process frees the native
// icons it saved.
#include "hook_bench.h"

#include <sstream>

using namespace hooktest;
using standin::kAddressBandId;
using standin::kLinksBandId;
using standin::kLogoBandId;
using standin::kMenuBandId;

namespace {

// What the band and arrow exports change in one frame, read from its controls.
struct BarState {
    bool menuHidden = false;
    bool logoHidden = false;
    bool addressTitleHidden = false;
    bool linksTitleHidden = false;
    UINT addressHeader = 0;
    UINT linksHeader = 0;
    std::vector<BYTE> styles;
};

// Equal but for the header widths: a title shown again is as wide as the library measures it.
std::string describe(const BarState& s) {
    std::ostringstream text;
    text << "menu hidden " << s.menuHidden << ", logo hidden " << s.logoHidden << ", titles hidden "
         << s.addressTitleHidden << "/" << s.linksTitleHidden << ", button styles";
    for (BYTE style : s.styles)
        text << " " << static_cast<int>(style);
    return text.str();
}

// An arrow given back makes its button autosize as well.
std::vector<BYTE> withoutAutosize(std::vector<BYTE> styles) {
    for (BYTE& style : styles)
        style &= static_cast<BYTE>(~BTNS_AUTOSIZE);
    return styles;
}

::testing::AssertionResult sameBands(const BarState& x, const BarState& y) {
    if (x.menuHidden == y.menuHidden && x.logoHidden == y.logoHidden &&
        x.addressTitleHidden == y.addressTitleHidden && x.linksTitleHidden == y.linksTitleHidden &&
        withoutAutosize(x.styles) == withoutAutosize(y.styles))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describe(x) << "\nexpected " << describe(y);
}

BarState barState(RemoteShell& host, const FrameHandles& f) {
    BarState state;
    state.menuHidden = hostBandHidden(host, f.rebar, kMenuBandId);
    state.logoHidden = hostBandHidden(host, f.rebar, kLogoBandId);
    const standin::BandRecord address = hostBand(host, f.rebar, kAddressBandId);
    const standin::BandRecord links = hostBand(host, f.rebar, kLinksBandId);
    state.addressTitleHidden = (address.fStyle & RBBS_HIDETITLE) != 0;
    state.linksTitleHidden = (links.fStyle & RBBS_HIDETITLE) != 0;
    state.addressHeader = address.cxHeader;
    state.linksHeader = links.cxHeader;
    state.styles = hostButtonStyles(host, f.mainToolbar);
    return state;
}

// Buttons of the default pattern "A D B S B B S W" that carry an arrow as built.
constexpr int kArrowButtons[] = {0, 1};

bool arrowsShown(const BarState& state) {
    for (int i : kArrowButtons)
        if (!(state.styles.at(i) & BTNS_DROPDOWN)) return false;
    return true;
}
bool arrowsHidden(const BarState& state) {
    for (int i : kArrowButtons)
        if (state.styles.at(i) & BTNS_DROPDOWN) return false;
    return true;
}

class ExportsAcrossProcesses : public HookBench {};

TEST_F(ExportsAcrossProcesses, EachExportActsInOtherProcessesAndEachRestorePutsTheFramesBack) {
    // Process A: the taskbar, an Explorer and a browser frame with large images.
    // Process B: a browser frame with small images. Icons are made where they are used.
    RemoteShell& a = startHost();
    RemoteShell& b = startHost();
    const HWND taskbar = hostTaskbar(a);
    ASSERT_NE(taskbar, nullptr);
    const FrameHandles explorer = hostFrame(a, frameOptions(FrameClass::Explorer, true));
    const FrameHandles browserA = hostFrame(a, frameOptions(FrameClass::Browser, true));
    const FrameHandles browserB = hostFrame(b, frameOptions(FrameClass::Browser, false));
    ASSERT_NE(browserB.frame, nullptr);
    ASSERT_EQ(startHostLedger(a), "");
    ASSERT_EQ(startHostLedger(b), "");
    IconTables large = makeHostIcons(a, 24, 0);
    IconTables small = makeHostIcons(b, 16, 1);
    ASSERT_EQ(large.error + small.error, "");

    struct Frame {
        RemoteShell* host;
        FrameHandles handles;
        int size;
        int set;
        int kind; // 0 Explorer, 1 browser: the column of the hide settings
    };
    const Frame frames[] = {
        {&a, explorer, 24, 0, 0}, {&a, browserA, 24, 0, 1}, {&b, browserB, 16, 1, 1}};
    std::vector<BarState> native;
    for (const Frame& f : frames) {
        native.push_back(barState(*f.host, f.handles));
        ASSERT_FALSE(native.back().menuHidden);
        ASSERT_FALSE(native.back().logoHidden);
        ASSERT_FALSE(native.back().addressTitleHidden);
        ASSERT_TRUE(arrowsShown(native.back()));
    }

    install();
    library.setIcons(large.normal.data(), large.hot.data(), kSlots, 24);
    library.setSmallIcons(small.normal.data(), small.hot.data(), kSlots, 16);
    library.changeAllToolbar();
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.size);
        EXPECT_TRUE(hostListHolds(*f.host, f.handles.mainToolbar, false, f.size,
                                  controllerColours(kSlots, false, f.set)));
        EXPECT_TRUE(hostListHolds(*f.host, f.handles.mainToolbar, true, f.size,
                                  controllerColours(kSlots, true, f.set)));
    }
    EXPECT_EQ(library.shared->inactive, 0);
    EXPECT_GT(hostLedger(a)->live, 0u);
    EXPECT_GT(hostLedger(b)->live, 0u);

    // Every hide setting on in one column and off in the other, both ways round.
    std::vector<BarState> whileHidden(3);
    for (int hiddenKind : {0, 1}) {
        SCOPED_TRACE(hiddenKind == 0 ? "Explorer hides" : "browser hides");
        const int explorerHides = hiddenKind == 0 ? 1 : 0;
        const int browserHides = 1 - explorerHides;
        library.showHideAllMenu(explorerHides, browserHides);
        library.showHideAllLogo(explorerHides, browserHides);
        library.showHideAllHeader(explorerHides, browserHides);
        library.showHideAllDropdownArrow(explorerHides, browserHides);
        for (const Frame& f : frames) {
            const bool hides = f.kind == hiddenKind;
            const BarState now = barState(*f.host, f.handles);
            EXPECT_EQ(now.menuHidden, hides);
            EXPECT_EQ(now.logoHidden, hides);
            EXPECT_EQ(now.addressTitleHidden, hides);
            EXPECT_EQ(now.linksTitleHidden, hides);
            const size_t i = static_cast<size_t>(&f - frames);
            if (hides) {
                EXPECT_LT(now.addressHeader, native[i].addressHeader);
                EXPECT_LT(now.linksHeader, native[i].linksHeader);
                whileHidden[i] = now;
            } else if (hiddenKind == 0) {
                EXPECT_EQ(now.addressHeader, native[i].addressHeader) << "never hidden";
            } else {
                EXPECT_GT(now.addressHeader, whileHidden[i].addressHeader);
                EXPECT_GT(now.linksHeader, whileHidden[i].linksHeader);
            }
            EXPECT_TRUE(hides ? arrowsHidden(now) : arrowsShown(now));
        }
    }

    // Everything hidden everywhere, then each restore puts its own feature back alone.
    library.showHideAllMenu(1, 1);
    library.showHideAllLogo(1, 1);
    library.showHideAllHeader(1, 1);
    library.showHideAllDropdownArrow(1, 1);
    library.restoreAllMenu();
    for (const Frame& f : frames) {
        const BarState now = barState(*f.host, f.handles);
        EXPECT_FALSE(now.menuHidden);
        EXPECT_TRUE(now.logoHidden);
    }
    library.restoreAllLogo();
    for (const Frame& f : frames) {
        const BarState now = barState(*f.host, f.handles);
        EXPECT_FALSE(now.logoHidden);
        EXPECT_TRUE(now.addressTitleHidden);
    }
    library.restoreAllHeader();
    for (const Frame& f : frames) {
        const BarState now = barState(*f.host, f.handles);
        EXPECT_FALSE(now.addressTitleHidden);
        EXPECT_FALSE(now.linksTitleHidden);
        EXPECT_GT(now.addressHeader, whileHidden[&f - frames].addressHeader);
        EXPECT_GT(now.linksHeader, whileHidden[&f - frames].linksHeader);
        EXPECT_TRUE(arrowsHidden(now));
    }
    library.restoreAllDropdownArrow();
    for (const Frame& f : frames)
        EXPECT_TRUE(sameBands(barState(*f.host, f.handles), native[&f - frames]));

    // The icons last: native images again, customisation off, every saved icon freed in
    // the process that saved it (Explorer's by the taskbar's process, the browsers' by
    // their own), none of the controller's.
    library.restoreAllToolbar();
    EXPECT_EQ(library.shared->inactive, 1);
    EXPECT_EQ(library.shared->restoring, 0);
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.size);
        EXPECT_TRUE(hostListHolds(*f.host, f.handles.mainToolbar, false, f.size,
                                  nativeColours(kImages, false)));
        EXPECT_TRUE(hostListHolds(*f.host, f.handles.mainToolbar, true, f.size,
                                  nativeColours(kImages, true)));
        EXPECT_TRUE(sameBands(barState(*f.host, f.handles), native[&f - frames]));
    }
    auto countsA = hostLedger(a);
    auto countsB = hostLedger(b);
    ASSERT_TRUE(countsA && countsB) << countsA.error << countsB.error;
    EXPECT_EQ(countsA->created, 4u * kImages) << "Explorer's and a browser's normal and hot";
    EXPECT_EQ(countsB->created, 2u * kImages);
    EXPECT_TRUE(ledgerBalanced(*countsA));
    EXPECT_TRUE(ledgerBalanced(*countsB));
    auto alive = a.describeIcon(large.normal[0]);
    ASSERT_TRUE(alive) << alive.error;
    EXPECT_TRUE(alive->valid) << "the controller's icons stay its own";
}

} // namespace
