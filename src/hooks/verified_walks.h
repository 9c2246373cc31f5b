// The logo and arrow walks as the private messages run them, and the per-process
// records of what the last full walks of a frame found already in force. A record
// watches the windows its walks acted on and their rebars; any message sent or posted to one
// of them that is not a read moves the record's epoch, and a finding holds only at
// the epoch it was made in. A show's re-application skips a walk whose finding
// holds; every other walk runs in full. Messages that reach a control without the
// hooks (a direct call of its window procedure) are not seen.
#pragma once

#include <windows.h>
#include "state/process_state.h"

constexpr int kLogoFact = 0;
constexpr int kArrowsFact = 1;

// A window's counter; handles differ most in their low word, past bit 0.
inline LONG& watchCount(HWND window) {
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(window);
    return processState.watchCounts[((value ^ (value >> 16)) >> 1) % kWatchCounters];
}

// The call-window hook asks this first, for every message: no platform call.
inline bool mayBeWatched(HWND window) {
    return watchCount(window) != 0;
}

// A message sent or posted to the window: moves the epoch of every record that watches
// it, unless the message only reads; a watched window being destroyed leaves its record
// watching nothing.
void noteMessageToWatched(HWND window, UINT message);

// `fact`: kLogoFact or kArrowsFact; `row`: the frame kind's row of drop-down marks.
void walkUnlessVerified(HWND frame, int fact, int show, int row);
