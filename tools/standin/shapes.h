// Frames of many shapes, for the shape generator's tests: real frames vary by Windows and
// browser version (other bands and band ids, no main toolbar, two toolbars in a band, a
// menu band without a toolbar, a logo band without a "WorkerW"), and they change while
// the library works on them (bands added or removed, the frame destroyed). A shape is
// plain data, so a test can have a host build it; its look is read back as text.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>

namespace standin {

enum class ShapeClass : std::uint32_t {
    Explorer,              // "CabinetWClass"
    ExplorerTree,          // "ExploreWClass"
    Browser,               // "IEFrame"
    BrowserDeepCommandBar, // "IEFrame", its "CommandBarClass" a grandchild: still a frame
    BrowserWithCommandBar, // "IEFrame" with a direct "CommandBarClass" child: no frame
    Other,                 // a class of its own with the same insides: no frame
};

// Done once, while chaos is armed, after `chaosAfter` messages to the shape's rebars and
// toolbars (the library's walks send most of them), before the message is handled.
enum class ShapeChaos : std::uint32_t { None, AddBand, RemoveBand, DestroyFrame };

constexpr int kShapeBands = 8;
constexpr int kShapePatternChars = 24;

// Band kinds (ShapeBand::kind):
//   M menu bar (toolbar, id 0, no text)    m menu band holding a "Static", no toolbar
//   T the main toolbar                     D a pane holding the main toolbar and another
//   O another toolbar with images          A an "Edit", as the address band
//   L links toolbar                        G logo "WorkerW"
//   g logo band holding a "Static"         X a band holding a "Static"
//   E a band without a child               C a band chaos may remove (not in the look)
struct ShapeBand {
    char kind;
    int rebar; // 0 or 1
    UINT id;
    char title[12]; // empty: no RBBIM_TEXT
};

struct ShapePlan {
    ShapeClass shapeClass;
    bool worker; // the rebars in a "WorkerW", else straight in the frame
    bool visible;
    int imageSize; // of the toolbars' lists
    bool normalImages, hotImages;
    bool shareLists;   // the main toolbar shares its lists with the process's others
    int mainToolbarId; // 0xA000 but in shapes without a main toolbar
    int otherToolbarId;
    char mainButtons[kShapePatternChars]; // as FrameOptions::buttons
    char otherButtons[kShapePatternChars];
    int bandCount;
    ShapeBand bands[kShapeBands];
    ShapeChaos chaos;
    int chaosAfter;
    int x, y;
};

// Builds the shape on the calling thread (which must pump); null on failure.
HWND createShape(const ShapePlan& plan);

// What the restyling may change and a restore must give back, one line per band
// (id, style, child, text, then "|header N") and per toolbar (id, parent, buttons'
// ids and styles, both lists: handle, size, count, centre colours). Bands chaos may
// add or remove are left out. Lines of bands 3 and 4 in a rebar holding a toolbar,
// whose titles the library hides and shows, start with "title"; their style leaves
// out Wine's fixed-header bit. Read on the shape's thread.
std::string shapeLook(HWND frame);

// Arms or disarms chaos in this process; the number of chaos acts since the last arming.
int armShapeChaos(bool armed);

} // namespace standin
