// A main toolbar that answers TB_GETMETRICS and TB_SETMETRICS as a Windows toolbar
// does. Internal to the stand-in library.
#pragma once

#include <windows.h>

namespace standin::detail {

// Subclasses the toolbar for as long as it lives.
void answerToolbarMetrics(HWND toolbar);

} // namespace standin::detail
