// What a stand-in frame is made of: the options a test can vary, the handles of
// every window and image list built, and the identifiers the frame uses.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <cstdint>

namespace standin {

// Band ids (RBBIM_ID) in the frame's rebar. The menu band, the title bands and the
// logo band carry the ids the hook library looks for; the others are our choice.
constexpr UINT kMenuBandId = 1;
constexpr UINT kToolbarBandId = 2;
constexpr UINT kAddressBandId = 3;
constexpr UINT kLinksBandId = 4;
constexpr UINT kLogoBandId = 5;
constexpr UINT kSecondToolbarBandId = 6;

// Control ids. The menu toolbar has id 0 and the main toolbar 0xA000, as in the
// shell; the others only have to differ from both.
constexpr int kMenuToolbarId = 0;
constexpr int kMainToolbarId = 0xA000;
constexpr int kRebarId = 0xA005;
constexpr int kLinksToolbarId = 0xA006;
constexpr int kAddressId = 0xA205;
constexpr int kListViewId = 0xA300;
constexpr int kStatusBarId = 0xA301;
// Command id of the first main-toolbar button; the n-th button has this plus n.
constexpr int kFirstButtonCommand = 0x7100;
// Command ids of the rebar context menu the "WorkerW" shows.
constexpr int kCommandStandardButtons = 0x7200;
constexpr int kCommandAddressBar = 0x7201;
constexpr int kCommandLinks = 0x7202;
constexpr int kCommandLockToolbars = 0x7203;
constexpr int kCommandCustomize = 0x7204;

// Image sizes of the main toolbar: the shell's large and small toolbar icons.
constexpr int kLargeImageSize = 24;
constexpr int kSmallImageSize = 16;
// Native images per list by default (the hook library needs at least 8).
constexpr int kDefaultImageCount = 12;
// Most native images a list may have; nativeColor is defined for these.
constexpr int kMaxNativeImages = 32;

enum class FrameClass : std::uint32_t {
    Explorer,              // "CabinetWClass"
    ExplorerTree,          // "ExploreWClass"
    Browser,               // "IEFrame"
    BrowserWithCommandBar, // "IEFrame" with a direct "CommandBarClass" child
};

// Where the rebar sends its notifications. Wine's rebar sends RBN_CHILDSIZE for every
// band on every layout, RB_INSERTBAND included, so a rebar filled while notifying its
// "WorkerW" makes the hook library react before the frame is even shown.
enum class NotifyRouting : std::uint32_t {
    Direct,            // the "WorkerW" hears everything, the build included
    AwayWhileBuilding, // a hidden window hears the build, then the "WorkerW" (RB_SETPARENT)
    Away,              // the hidden window hears everything, for good
};

// The module whose "ToolbarWindow32" class the main toolbars are made of (see
// comctl/toolbar_modules.h): the real comctl32, or a stand-in comctl32 of its own.
enum class ToolbarModule : std::uint32_t {
    Default, // the shell's default: --toolbar-module, else System
    System,  // the real control
    Comctl5, // standin_comctl5.dll
    Comctl6, // standin_comctl6.dll
    Bare,    // standin_comctl_bare.dll: the class, no image-list functions
};

// Letters of FrameOptions::bands and FrameOptions::buttons.
constexpr char kMenuBandLetter = 'M';
constexpr char kToolbarBandLetter = 'T';
constexpr char kAddressBandLetter = 'A';
constexpr char kLinksBandLetter = 'L';
constexpr char kLogoBandLetter = 'G';

constexpr char kButtonPlain = 'B';            // plain button
constexpr char kButtonPlainAutosize = 'P';    // BTNS_AUTOSIZE
constexpr char kButtonSeparator = 'S';        // BTNS_SEP
constexpr char kButtonDropdown = 'D';         // BTNS_DROPDOWN
constexpr char kButtonDropdownAutosize = 'A'; // BTNS_DROPDOWN | BTNS_AUTOSIZE
constexpr char kButtonWholeDropdown = 'W';    // BTNS_WHOLEDROPDOWN

constexpr int kTitleChars = 32;
constexpr int kPatternChars = 96;

// Plain data, so a test can send it to the stand-in shell process.
struct FrameOptions {
    FrameClass frameClass = FrameClass::Explorer;
    bool large = true; // 24x24 images, else 16x16
    int imageSize = 0; // overrides the size above when not 0 (e.g. 17)
    int imageCount = kDefaultImageCount;
    bool normalImages = true; // TB_SETIMAGELIST on the main toolbar
    bool hotImages = true;    // TB_SETHOTIMAGELIST on the main toolbar
    // Frames of this process with equal class family and image shape share one pair
    // of lists, as Explorer's windows share the shell's.
    bool shareImageLists = false;
    // Main-toolbar buttons, one letter each (spaces ignored): B P S D A W, see above.
    // Button n (separators not counted) uses image n modulo imageCount.
    char buttons[kPatternChars] = "A D B S B B S W";
    // Rebar bands in order, one letter each: M T A L G. A missing letter omits the band.
    char bands[8] = "MTALG";
    bool worker = true; // the "WorkerW" between frame and rebar; else the frame is the parent
    char addressTitle[kTitleChars] = "Address"; // band 3 text; empty: no RBBIM_TEXT
    char linksTitle[kTitleChars] = "Links";     // band 4 text; empty: no RBBIM_TEXT
    bool secondRebar = false;                   // another rebar under the container, logo band only
    bool secondMainToolbar = false; // another 0xA000 toolbar in band 6 of the first rebar
    bool strayWorker = false;       // a hidden "WorkerW" child of the frame, made first
    NotifyRouting routing = NotifyRouting::AwayWhileBuilding;
    ToolbarModule toolbarModule = ToolbarModule::Default;
    // Windows behaviour that Wine's controls lack; sources in the files named.
    bool answerMetrics = false;       // TB_GETMETRICS/TB_SETMETRICS answered (toolbar_metrics)
    bool lateChildSize = false;       // RBN_CHILDSIZE after the change returned (late_rebar)
    bool undrawnHiddenTitles = false; // no text for a band with RBBS_HIDETITLE (hidden_titles)
    bool visible = true;
    int x = 40, y = 40, width = 760, height = 520; // fits the 1280x1024 test screen
    char title[64] = "";                           // empty: a title that fits the class
};

// Every window and list of a frame; null where the options left a piece out.
struct FrameHandles {
    HWND frame;
    HWND worker;       // "WorkerW", parent of the rebar
    HWND rebar;        // "ReBarWindow32"
    HWND menuToolbar;  // band 1
    HWND mainToolbar;  // band 2, id 0xA000
    HWND addressChild; // band 3 ("ComboBoxEx32")
    HWND linksToolbar; // band 4, text "Links"
    HWND logoWorker;   // band 5, "WorkerW"
    HWND commandBar;   // "CommandBarClass", BrowserWithCommandBar only
    HWND content;      // client area: "SysListView32", or "Internet Explorer_Server" in IEFrame
    HWND statusBar;
    HWND notifySink; // hidden window hearing the rebar while routed away
    HWND secondRebar;
    HWND secondLogoWorker;
    HWND secondMainToolbar;
    HWND strayWorker;
    HIMAGELIST normalList; // main toolbar's lists as built
    HIMAGELIST hotList;
    HIMAGELIST secondNormalList;
    HIMAGELIST secondHotList;
    DWORD threadId;
    int imageSize;
};

} // namespace standin
