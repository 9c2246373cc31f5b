// The settings window: a modeless property sheet of five pages. Apply checks
// everything, writes the file atomically and applies live; Cancel changes nothing.
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

} // namespace tarvik_app
