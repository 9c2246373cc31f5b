// Image files built byte by byte for tests: BMP strips and .ico files with
// known pixels, to check what the controller makes of them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tarvik::test {

// Pixel colour by position, 0xAARRGGBB.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

enum class BmpLayout {
    Rgb24BottomUp,     // 24-bit, rows from the bottom (the usual layout)
    Argb32TopDown,     // 32-bit BI_RGB, negative height
    Argb32V5Bitfields, // 32-bit BI_BITFIELDS with a 124-byte header
};

std::vector<std::uint8_t> makeBmp(int width, int height, const PixelFn& pixel,
                                  BmpLayout layout = BmpLayout::Rgb24BottomUp);

// An icon file with one 32-bit image per size; pixel(x, y) is asked per size.
std::vector<std::uint8_t> makeIco(const std::vector<int>& sizes, const PixelFn& pixel);

} // namespace tarvik::test
