// Band and button snapshots.
#include "snapshots.h"

#include <commctrl.h>
#include <cstring>

namespace standin {

std::vector<BandRecord> snapshotBands(HWND rebar) {
    std::vector<BandRecord> bands;
    if (!IsWindow(rebar)) return bands;
    int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        BandRecord band{};
        REBARBANDINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = RBBIM_ID | RBBIM_STYLE | RBBIM_HEADERSIZE | RBBIM_CHILD | RBBIM_CHILDSIZE |
                     RBBIM_IDEALSIZE | RBBIM_SIZE | RBBIM_TEXT;
        info.lpText = band.text;
        info.cch = kSnapshotTextChars;
        SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&info));
        band.text[kSnapshotTextChars - 1] = '\0';
        band.wID = info.wID;
        band.fStyle = info.fStyle;
        band.cxHeader = info.cxHeader;
        band.hwndChild = info.hwndChild;
        band.cxMinChild = info.cxMinChild;
        band.cyMinChild = info.cyMinChild;
        band.cxIdeal = info.cxIdeal;
        band.cx = info.cx;
        bands.push_back(band);
    }
    return bands;
}

std::vector<ButtonRecord> snapshotButtons(HWND toolbar) {
    std::vector<ButtonRecord> buttons;
    if (!IsWindow(toolbar)) return buttons;
    int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        ButtonRecord record{};
        record.idCommand = button.idCommand;
        record.iBitmap = button.iBitmap;
        record.fsStyle = button.fsStyle;
        record.fsState = button.fsState;
        if (!(button.fsStyle & BTNS_SEP)) {
            LRESULT length = SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand, 0);
            if (length > 0 && length < kSnapshotTextChars)
                SendMessageA(toolbar, TB_GETBUTTONTEXTA, button.idCommand,
                             reinterpret_cast<LPARAM>(record.text));
        }
        buttons.push_back(record);
    }
    return buttons;
}

} // namespace standin
