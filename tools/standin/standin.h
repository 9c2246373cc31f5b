// The stand-in shell: frames built from real comctl32 controls with the window
// structure of Explorer and Internet Explorer, the taskbar window, and helpers
// that read their state back.
#pragma once

#include "frame_options.h"
#include "frame.h"
#include "glyphs.h"
#include "images.h"
#include "snapshots.h"
#include "taskbar.h"
