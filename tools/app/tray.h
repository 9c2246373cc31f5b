// The notification-area icon and the hidden window that owns it.
#pragma once

#include <windows.h>
#include <string>

namespace tarvik_app {

// Makes the tray window and adds the icon (the icon may fail where there is no
// notification area yet; it is added again on "TaskbarCreated"). False if the
// window could not be made.
bool createTray();
// Tooltip and icon for on or off.
void updateTrayIcon();
void removeTrayIcon();
// A notice beside the icon that goes by itself (nothing waits for it).
void showTrayNotice(const std::string& text);

} // namespace tarvik_app
