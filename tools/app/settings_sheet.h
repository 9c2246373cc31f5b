// The settings window: a modeless property sheet of five pages. Apply checks
// everything, writes the file atomically and applies live; Cancel changes nothing.
// The icon files are read on a thread of their own: meanwhile the sheet is busy
// (OK and Apply disabled), and Cancel or Esc leaves the read to end unused.
#pragma once

#include <windows.h>

namespace tarvik_app {

// Opens the window, or brings the open one to the front.
void openSettingsSheet();
void closeSettingsSheet();
// For the message loop: true if the open sheet took the message (keyboard
// navigation); after each message, dropClosedSheet() destroys a sheet that OK or
// Cancel closed.
bool sheetTakes(MSG& message);
void dropClosedSheet();
// An Apply's icons have been read (kMsgIconsRead): the rest of the Apply, if still asked for.
void iconsRead(LPARAM tag);

} // namespace tarvik_app
