// Writing BMP and ICO layouts by hand.
#include "test_images.h"

namespace tarvik::test {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putInfoHeader(std::vector<std::uint8_t>& out, std::uint32_t size, int width, int height,
                   int bits, std::uint32_t compression) {
    put32(out, size);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bits));
    put32(out, compression);
    for (int i = 0; i < 5; ++i)
        put32(out, 0); // image size, resolution, palette
}

} // namespace

std::vector<std::uint8_t> makeBmp(int width, int height, const PixelFn& pixel, BmpLayout layout) {
    const bool wide = layout != BmpLayout::Rgb24BottomUp;
    const int bits = wide ? 32 : 24;
    const std::uint32_t headerSize = layout == BmpLayout::Argb32V5Bitfields ? 124 : 40;
    const int stride = (width * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    const std::uint32_t offset = 14 + headerSize;
    put32(out, offset + static_cast<std::uint32_t>(stride * height));
    put32(out, 0);
    put32(out, offset);
    const bool topDown = layout != BmpLayout::Rgb24BottomUp;
    putInfoHeader(out, headerSize, width, topDown ? -height : height, bits,
                  layout == BmpLayout::Argb32V5Bitfields ? 3 : 0);
    if (layout == BmpLayout::Argb32V5Bitfields) {
        put32(out, 0x00FF0000);
        put32(out, 0x0000FF00);
        put32(out, 0x000000FF);
        put32(out, 0xFF000000);
        out.resize(14 + headerSize, 0);
    }
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        const std::size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(p));
            out.push_back(static_cast<std::uint8_t>(p >> 8));
            out.push_back(static_cast<std::uint8_t>(p >> 16));
            if (wide) out.push_back(static_cast<std::uint8_t>(p >> 24));
        }
        out.resize(start + stride, 0);
    }
    return out;
}

std::vector<std::uint8_t> makeIco(const std::vector<int>& sizes, const PixelFn& pixel) {
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes) {
        std::vector<std::uint8_t> image;
        putInfoHeader(image, 40, size, size * 2, 32, 0);
        for (int y = size - 1; y >= 0; --y)
            for (int x = 0; x < size; ++x)
                put32(image, pixel(x, y));
        const int maskStride = (size + 31) / 32 * 4;
        image.resize(image.size() + static_cast<std::size_t>(maskStride) * size, 0);
        images.push_back(image);
    }
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(0);
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace tarvik::test
