// Checking .ico files and decoding .bmp strips from their bytes, before any
// of it reaches the system's image loaders. Plain C++, no Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvikctl {

// Largest strip accepted, in pixels per side.
constexpr int kMaxStripWidth = 16384;
constexpr int kMaxStripHeight = 256;

// "" if `bytes` is a well-formed icon file (a directory of BMP or PNG
// images, every one inside the file), else what is wrong with it.
std::string checkIconFile(const std::vector<std::uint8_t>& bytes);

// Pixels as 0xAARRGGBB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct ImageResult {
    bool ok = false;
    Image image;
    std::string error;
};

// Decodes an uncompressed 24- or 32-bit BMP. In a 24-bit image magenta
// (255, 0, 255) is transparent; a 32-bit image brings its alpha, except that
// one whose alpha is zero everywhere is taken as opaque.
ImageResult decodeBmp(const std::vector<std::uint8_t>& bytes);

// Square image `index` of a strip of square images side by side, scaled to
// size x size (area average when shrinking, nearest pixel when growing).
Image stripImage(const Image& strip, int index, int size);

} // namespace tarvikctl
