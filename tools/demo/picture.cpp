// Pixel comparisons and the capture file reader.
#include "picture.h"

#include <algorithm>
#include <cstdio>

#include "standin/demo_protocol.h"

namespace demo {

Area unite(const Area& a, const Area& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Area shift(const Area& a, int dx, int dy) {
    return {a.left + dx, a.top + dy, a.right + dx, a.bottom + dy};
}

void paste(Picture& target, const Picture& part, int x, int y) {
    for (int row = 0; row < part.height; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= target.height) continue;
        for (int column = 0; column < part.width; ++column) {
            const int tx = x + column;
            if (tx >= 0 && tx < target.width) target.at(tx, ty) = part.at(column, row);
        }
    }
}

long differingPixels(const Picture& a, const Picture& b, const Area& area) {
    const int right = std::min({area.right, a.width, b.width});
    const int bottom = std::min({area.bottom, a.height, b.height});
    long count = 0;
    for (int y = std::max(area.top, 0); y < bottom; ++y)
        for (int x = std::max(area.left, 0); x < right; ++x)
            if (a.at(x, y) != b.at(x, y)) ++count;
    return count;
}

std::vector<RegionDifference> compareRegions(const Picture& a, const Picture& b,
                                             const std::vector<Region>& regions) {
    std::vector<RegionDifference> result;
    for (const Region& region : regions) {
        RegionDifference difference;
        difference.name = region.name;
        difference.differing = differingPixels(a, b, region.area);
        difference.total = static_cast<long>(region.area.width()) * region.area.height();
        result.push_back(difference);
    }
    return result;
}

std::vector<std::string> unchangedRegions(const std::vector<RegionDifference>& differences,
                                          long minPixels) {
    std::vector<std::string> problems;
    for (const RegionDifference& difference : differences) {
        if (difference.total > 0 && difference.differing >= minPixels) continue;
        problems.push_back(difference.name + ": " + std::to_string(difference.differing) + " of " +
                           std::to_string(difference.total) + " pixels differ, at least " +
                           std::to_string(minPixels) + " expected");
    }
    return problems;
}

std::string readCapture(const std::string& path, Picture& picture) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return "cannot open " + path;
    std::uint32_t header[3] = {};
    std::string problem;
    if (std::fread(header, sizeof header, 1, file) != 1 ||
        header[0] != standin::wire::kCaptureMagic || header[1] == 0 || header[2] == 0 ||
        header[1] > 8192 || header[2] > 8192) {
        problem = path + " is no capture";
    } else {
        picture = Picture(static_cast<int>(header[1]), static_cast<int>(header[2]));
        if (std::fread(picture.pixels.data(), sizeof(std::uint32_t), picture.pixels.size(), file) !=
            picture.pixels.size())
            problem = path + " ends early";
    }
    std::fclose(file);
    return problem;
}

} // namespace demo
