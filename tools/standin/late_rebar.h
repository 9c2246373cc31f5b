// A rebar that reports RBN_CHILDSIZE late. Internal to the stand-in library.
#pragma once

#include <windows.h>

namespace standin::detail {

// From now on the rebar's RBN_CHILDSIZE reaches its notification parent only after
// the change that caused it has returned; every other notification as before.
void reportChildSizeLate(HWND rebar);

} // namespace standin::detail
