// Plain-data snapshots of a rebar's bands and a toolbar's buttons, read with the
// controls' own messages, so tests compare real control state.
#pragma once

#include <windows.h>
#include <vector>

namespace standin {

constexpr int kSnapshotTextChars = 64;

struct BandRecord {
    UINT wID;
    UINT fStyle;
    UINT cxHeader;
    HWND hwndChild;
    UINT cxMinChild;
    UINT cyMinChild;
    UINT cxIdeal;
    UINT cx;
    char text[kSnapshotTextChars]; // empty when the band has none
};

struct ButtonRecord {
    int idCommand;
    int iBitmap;
    BYTE fsStyle;
    BYTE fsState;
    char text[kSnapshotTextChars];
};

// Bands in index order (RB_GETBANDINFOA); empty when `rebar` is no rebar.
std::vector<BandRecord> snapshotBands(HWND rebar);
// Buttons in index order (TB_GETBUTTON, TB_GETBUTTONTEXTA).
std::vector<ButtonRecord> snapshotButtons(HWND toolbar);

} // namespace standin
