// broadcastToFrame: turns a flag word into private messages for one frame, in
// the fixed group order icons, logo, menu, headers, drop-down arrows.
#include "control/broadcast.h"
#include "state/identifiers.h"
#include "state/shared_state.h"
#include "windows/classifier.h"

namespace {

// A group sends its message with wParam 1, 2 or 3 for the first of its bits set.
struct Group {
    UINT message;
    LPARAM bits[3];
};

constexpr Group kBandGroups[] = {
    {MSG_SET_LOGO, {BC_LOGO_APPLY, BC_LOGO_RESTORE, 0}},
    {MSG_SET_MENUBAR, {BC_MENU_APPLY, BC_MENU_RESTORE, BC_MENU_REHIDE}},
    {MSG_SET_HEADERS, {BC_HEADER_APPLY, BC_HEADER_RESTORE, 0}},
    {MSG_SET_DROPDOWNS, {BC_DROPDOWN_APPLY, BC_DROPDOWN_RESTORE, 0}},
};

// False once the frame stops answering: the rest of its messages are skipped.
bool sendIcons(HWND frame, LPARAM flags, int kind) {
    if (flags & BC_ICONS_APPLY) {
        // Whether a shown frame needs its icons is decided in its own process, from what
        // that process filled (reapplyToFrame): the flag is a record, never a skip.
        if (!sendAndWait(frame, MSG_SET_ICONS, kApply, kind)) return false;
        if (kind == kKindExplorer) sharedState.explorerIconsApplied = 1;
        return true;
    }
    if (flags & BC_ICONS_RESTORE) return sendAndWait(frame, MSG_SET_ICONS, kRestore, kind);
    return true;
}

bool sendGroup(HWND frame, const Group& group, LPARAM flags, int kind) {
    for (WPARAM i = 0; i < 3; ++i)
        if (group.bits[i] != 0 && (flags & group.bits[i]))
            return sendAndWait(frame, group.message, i + 1, kind);
    return true;
}

} // namespace

bool sendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                 UINT timeoutMs) {
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutA(window, message, wParam, lParam,
                                             SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer);
    if (result != nullptr) *result = sent != 0 ? static_cast<LRESULT>(answer) : 0;
    return sent != 0;
}

BOOL CALLBACK broadcastToFrame(HWND window, LPARAM flags) {
    const int kind = frameKindOf(window);
    if (kind != kKindNone && sendIcons(window, flags, kind)) {
        for (const Group& group : kBandGroups)
            if (!sendGroup(window, group, flags, kind)) break;
    }
    return (flags & BC_AUTO) ? FALSE : TRUE;
}

int broadcastToAllFrames(LPARAM word) {
    return EnumWindows(broadcastToFrame, word);
}
