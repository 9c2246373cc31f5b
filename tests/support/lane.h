// How much slower than a native x86_64 Wine this lane runs, for the limits of waits.
// A wait for something that is bound to happen ends as soon as it does, so its limit can
// be generous: it is scaled here. A check that something does NOT happen within a time,
// or a bound on what the library itself times, is never scaled.
#pragma once

#include <windows.h>
#include <initializer_list>
#include <vector>

namespace tarvik::test {

// TARVIK_LANE_SLOWDOWN (1 to 64) where the run sets it; otherwise 8 for 32-bit code,
// which runs emulated here (about 4 times slower, on a machine half as fast), and 2 for
// 64-bit code (a machine half as fast as the one the limits were set on).
int laneSlowdown();

// A wait's limit for this lane: `nativeMs` times the slowdown.
DWORD laneWaitMs(DWORD nativeMs);

// Long sweeps (every size, thousands of calls, many cycles) run in full where 64-bit code
// runs natively; the emulated 32-bit lane runs the cases that stand for the rest, unless
// TARVIK_FULL_SWEEPS=1 (scripts/test --win32-all) asks for all of them there too.
bool fullSweeps();

// `full` in a full sweep, `few` otherwise.
inline int sweepCount(int full, int few) {
    return fullSweeps() ? full : few;
}
template <class T>
std::vector<T> sweepOf(std::initializer_list<T> all, std::initializer_list<T> representative) {
    return fullSweeps() ? std::vector<T>(all) : std::vector<T>(representative);
}

} // namespace tarvik::test
