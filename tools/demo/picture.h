// Pictures of windows as plain pixels, and the comparisons the demo's checks
// make: how many pixels of a region differ between two pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Rows from the top, pixels 0x00RRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A rectangle in picture coordinates, right and bottom exclusive.
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

Area unite(const Area& a, const Area& b);
Area shift(const Area& a, int dx, int dy);

// Copies `part` into `target` with its top-left corner at (x, y), clipped.
void paste(Picture& target, const Picture& part, int x, int y);

// Pixels inside `area` (clipped to both pictures) whose colours differ.
long differingPixels(const Picture& a, const Picture& b, const Area& area);

// A named part of a picture, such as a frame's rebar.
struct Region {
    std::string name;
    Area area;
};

struct RegionDifference {
    std::string name;
    long differing = 0;
    long total = 0;
};

std::vector<RegionDifference> compareRegions(const Picture& a, const Picture& b,
                                             const std::vector<Region>& regions);

// The regions where fewer than `minPixels` pixels differ: each line names one.
// An empty result means every region visibly changed.
std::vector<std::string> unchangedRegions(const std::vector<RegionDifference>& differences,
                                          long minPixels);

// Reads a capture file of the stand-in shell (magic, width, height, pixels).
std::string readCapture(const std::string& path, Picture& picture);

} // namespace demo
