// The library's private messages as the suites record and name them. Header only:
// for test programs that see the library's headers (core tests and DLL tests).
#pragma once

#include <windows.h>
#include "TarvikToolBar.h"
#include "message_names.h"
#include "state/identifiers.h"

namespace tarvik::test {

inline constexpr UINT kPrivateMessages[] = {MSG_SET_ICONS,      MSG_SET_LOGO,    MSG_RESTORE_ICONS,
                                            MSG_SET_MENUBAR,    MSG_SET_HEADERS, MSG_SET_DROPDOWNS,
                                            MSG_TOGGLE_MENUBAR, MSG_STOP_TIMERS};

// Names in failure reports instead of bare numbers.
inline void nameThePrivateMessages() {
    static const bool once = [] {
        registerMessageName(MSG_SET_ICONS, "MSG_SET_ICONS");
        registerMessageName(MSG_SET_LOGO, "MSG_SET_LOGO");
        registerMessageName(MSG_RESTORE_ICONS, "MSG_RESTORE_ICONS");
        registerMessageName(MSG_SET_MENUBAR, "MSG_SET_MENUBAR");
        registerMessageName(MSG_SET_HEADERS, "MSG_SET_HEADERS");
        registerMessageName(MSG_SET_DROPDOWNS, "MSG_SET_DROPDOWNS");
        registerMessageName(MSG_TOGGLE_MENUBAR, "MSG_TOGGLE_MENUBAR");
        registerMessageName(MSG_STOP_TIMERS, "MSG_STOP_TIMERS");
        return true;
    }();
    (void)once;
}

} // namespace tarvik::test
