// Putting Explorer's native icons back into its shared lists, and releasing
// the native icons the library saved.
#pragma once

// The taskbar process's work at the end of a full restore (and that of every other
// process with Explorer frames): refills Explorer's captured pairs (every toolbar
// module's, both size classes) from the saved natives, then frees the saved icons.
void restoreExplorerLists();
// Destroys the desktop-wide saved Explorer icons (both size classes).
void freeSavedExplorerIcons();
// Destroys this process's saved Internet Explorer icons (both size classes).
void freeSavedIEIcons();
