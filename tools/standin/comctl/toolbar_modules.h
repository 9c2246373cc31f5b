// The stand-in comctl32 modules (standin_comctl.cpp) seen from the stand-in shell and
// from tests: loaded beside the running program, their toolbar class registered.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "standin/frame_options.h"

namespace standin {

// The module a frame's option names, Default resolved.
ToolbarModule resolveToolbarModule(ToolbarModule requested);
// What Default stands for in this process (the shell's --toolbar-module).
void setDefaultToolbarModule(ToolbarModule module);
// "5", "6", "bare" or "system" as the shell's command line gives it; Default otherwise.
ToolbarModule toolbarModuleNamed(const char* name);

// The instance to create the main toolbar with: the program's for System, else the
// stand-in module's with its class registered; null when that module cannot be loaded.
HINSTANCE toolbarModuleInstance(ToolbarModule module);

// Calls the module made with `list` through its image-list exports (null list: all
// calls); -1 for a module without them or not loaded.
long imageListCalls(ToolbarModule module, HIMAGELIST list);

} // namespace standin
