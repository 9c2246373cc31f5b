// Readable names of window messages and WM_NOTIFY codes for failure reports.
#pragma once

#include <windows.h>
#include <string>

namespace tarvik::test {

// "WM_SIZE", "TB_SETIMAGELIST", or "0x1234" when unknown. Toolbar and rebar messages
// share numbers, so the window's class picks the family; without a window (or once
// it is gone) both names are given, "TB_ENABLEBUTTON|RB_INSERTBANDA".
std::string messageName(UINT message, HWND window = nullptr);

// "RBN_CHILDSIZE", "TBN_DROPDOWN", "NM_CLICK", or the signed number.
std::string notifyName(UINT code);

// Names for messages of the caller's own (private messages of the code under test).
// Registered names win over the built-in ones. Not thread-safe: register up front.
void registerMessageName(UINT message, const char* name);

} // namespace tarvik::test
