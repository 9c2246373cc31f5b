// The demo's checks and its text report: what the frames' controls said before
// the controller ran, while it ran and after it restored them, and whether that
// is what the settings asked for.
#pragma once

#include <string>
#include <vector>

#include "picture.h"
#include "scene.h"
#include "settings.h"

namespace demo {

enum Stage { kBefore, kAfter, kRestored, kStages };

// What a frame's icons should show after the change: centre colours by slot.
struct ExpectedIcons {
    bool given = false;
    COLORREF normal[standin::wire::kIconFileSlots];
    COLORREF hot[standin::wire::kIconFileSlots];
};

struct FrameRecord {
    const SceneFrame* frame = nullptr;
    tarvikctl::FrameOptions wanted;
    ExpectedIcons icons;
    FrameState states[kStages];
    std::vector<RegionDifference> changed;  // after against before
    std::vector<RegionDifference> undone;   // restored against after
    std::vector<RegionDifference> leftover; // restored against before
};

// Least number of pixels of a region that must differ for it to count as changed.
constexpr long kMinChangedPixels = 40;

// The regions of a frame whose pixels must change: its rebar and its main toolbar,
// each where it was in either picture.
std::vector<Region> changingRegions(const FrameState& a, const FrameState& b, int dx, int dy);

// Every way the recorded states differ from what the settings ask for.
std::vector<std::string> checkFrame(const FrameRecord& record);

// Button styles as letters: B plain, P autosize, S separator, D drop-down,
// A drop-down + autosize, W whole drop-down.
std::string buttonLetters(const std::vector<standin::ButtonRecord>& buttons);

std::string formatFrame(const FrameRecord& record);

} // namespace demo
