// A frame's look read from its controls in the host (band styles, button styles,
// image lists with their images' centre colours) and the checks the soak makes.
#pragma once

#include <windows.h>
#include <string>
#include <vector>
#include "standin/client.h"
#include "standin/standin.h"

namespace soak {

using Look = standin::FrameLook;

// "" when `now` is the native look `native` again, else the first difference.
std::string differsFromNative(const Look& native, const Look& now);

// What an apply with everything hidden must show.
struct Applied {
    int size;                            // the configured size of the frame's class
    const std::vector<COLORREF>* normal; // the controller's colours by slot (slot 0 native)
    const std::vector<COLORREF>* hot;
    bool iconsDrawable; // the icons were made in the frame's own process
};

// "" when `now` shows the applied settings: menu and logo bands hidden, titles of
// bands 3 and 4 hidden, no BTNS_DROPDOWN, both lists at the configured size holding the
// controller's icons.
std::string differsFromApplied(const Look& native, const Look& now, const Applied& applied);

} // namespace soak
