#include "lane.h"

#include <cstdlib>

namespace tarvik::test {

int laneSlowdown() {
    static const int slowdown = [] {
        const char* given = std::getenv("TARVIK_LANE_SLOWDOWN");
        const int asked = given != nullptr ? std::atoi(given) : 0;
        if (asked >= 1 && asked <= 64) return asked;
        return sizeof(void*) == 4 ? 8 : 2;
    }();
    return slowdown;
}

DWORD laneWaitMs(DWORD nativeMs) {
    const ULONGLONG scaled = static_cast<ULONGLONG>(nativeMs) * laneSlowdown();
    return scaled >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(scaled);
}

bool fullSweeps() {
    static const bool full = [] {
        const char* asked = std::getenv("TARVIK_FULL_SWEEPS");
        if (asked != nullptr && *asked != '\0') return asked[0] == '1';
        return sizeof(void*) == 8;
    }();
    return full;
}

} // namespace tarvik::test
