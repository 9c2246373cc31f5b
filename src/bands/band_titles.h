// Titles of the rebar bands with ids 3 and 4, and their header widths.
#pragma once

#include <windows.h>

// Hides (show 0) or shows (show 1) the titles in every rebar under the frame.
int walkHeaders(HWND frame, int show);
BOOL CALLBACK headerBandProc(HWND window, LPARAM param);
// Width of text (or of "A" when text is null) in the default GUI font; 0 when
// the text cannot be measured. sizeOut, when given, receives the whole extent.
int measureTextWidth(const char* text, SIZE* sizeOut);
