// Reading icon and bitmap file layouts field by field, every offset checked
// against the file's length in 64-bit arithmetic.
#include "image_formats.h"
#include "text.h"

#include <algorithm>

namespace tarvikctl {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint64_t kIconDirBytes = 6;
constexpr std::uint64_t kIconEntryBytes = 16;
constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t u16(const Bytes& b, std::uint64_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t u32(const Bytes& b, std::uint64_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::int32_t i32(const Bytes& b, std::uint64_t at) {
    return static_cast<std::int32_t>(u32(b, at));
}

std::uint64_t rowBytes(std::uint64_t width, std::uint64_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool isPng(const Bytes& b, std::uint64_t at, std::uint64_t length) {
    if (length < sizeof kPngSignature) return false;
    for (std::size_t i = 0; i < sizeof kPngSignature; ++i)
        if (b[at + i] != kPngSignature[i]) return false;
    return true;
}

// One image of an icon file: a BITMAPINFOHEADER, its palette, the colour
// bits and the AND mask, all within `length` bytes from `at`.
std::string checkIconImage(const Bytes& b, std::uint64_t at, std::uint64_t length) {
    if (isPng(b, at, length))
        return length >= 33 ? "" : "a PNG image is cut short"; // signature + IHDR
    if (length < kInfoHeaderBytes) return "an image is shorter than its header";
    const std::uint32_t headerBytes = u32(b, at);
    const std::int32_t width = i32(b, at + 4);
    const std::int32_t doubledHeight = i32(b, at + 8);
    const std::uint32_t planes = u16(b, at + 12);
    const std::uint32_t bits = u16(b, at + 14);
    const std::uint32_t compression = u32(b, at + 16);
    const std::uint32_t coloursUsed = u32(b, at + 32);
    if (headerBytes < kInfoHeaderBytes || headerBytes > length)
        return "an image has a bad header size";
    if (width < 1 || width > 256) return "an image is not 1..256 pixels wide";
    if (doubledHeight < 2 || doubledHeight > 512 || doubledHeight % 2 != 0)
        return "an image has a bad height";
    if (planes > 1) return "an image has more than one plane";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return cat("an image has ", num(bits), " bits per pixel");
    if (compression != kBiRgb) return "an image is compressed";
    std::uint64_t palette = 0;
    if (bits <= 8) {
        const std::uint32_t most = 1u << bits;
        if (coloursUsed > most) return "an image's palette is too large";
        palette = coloursUsed != 0 ? coloursUsed : most;
    }
    const std::uint64_t height = static_cast<std::uint64_t>(doubledHeight) / 2;
    const std::uint64_t needed =
        headerBytes + palette * 4 + rowBytes(width, bits) * height + rowBytes(width, 1) * height;
    if (needed > length) return "an image's pixels run past its end";
    return "";
}

} // namespace

std::string checkIconFile(const Bytes& b) {
    const std::uint64_t size = b.size();
    if (size < kIconDirBytes) return "too short to be an icon file";
    if (u16(b, 0) != 0 || (u16(b, 2) != 1 && u16(b, 2) != 2)) return "not an icon file";
    if (u16(b, 2) == 2) return "a cursor file, not an icon file";
    const std::uint64_t count = u16(b, 4);
    if (count == 0) return "an icon file without images";
    const std::uint64_t directoryEnd = kIconDirBytes + count * kIconEntryBytes;
    if (directoryEnd > size) return "the icon directory runs past the end of the file";
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t entry = kIconDirBytes + i * kIconEntryBytes;
        const std::uint64_t length = u32(b, entry + 8);
        const std::uint64_t offset = u32(b, entry + 12);
        const std::string where = cat("image ", num(i + 1), " of ", num(count), ": ");
        if (length == 0) return cat(where, "empty");
        if (offset < directoryEnd || offset + length > size)
            return cat(where, "lies outside the file");
        const std::string problem = checkIconImage(b, offset, length);
        if (!problem.empty()) return where + problem;
    }
    return "";
}

ImageResult decodeBmp(const Bytes& b) {
    ImageResult result;
    const std::uint64_t size = b.size();
    auto fail = [&result](const std::string& problem) {
        result.error = problem;
        return result;
    };
    if (size < kFileHeaderBytes + kInfoHeaderBytes || b[0] != 'B' || b[1] != 'M')
        return fail("not a BMP file");
    const std::uint64_t pixelOffset = u32(b, 10);
    const std::uint64_t info = kFileHeaderBytes;
    const std::uint32_t headerBytes = u32(b, info);
    if (headerBytes != 40 && headerBytes != 52 && headerBytes != 56 && headerBytes != 108 &&
        headerBytes != 124)
        return fail(cat("unsupported BMP header (", num(headerBytes), " bytes)"));
    if (info + headerBytes > size) return fail("the BMP header runs past the end of the file");
    const std::int32_t width = i32(b, info + 4);
    const std::int32_t signedHeight = i32(b, info + 8);
    const std::uint32_t planes = u16(b, info + 12);
    const std::uint32_t bits = u16(b, info + 14);
    const std::uint32_t compression = u32(b, info + 16);
    if (width < 1 || width > kMaxStripWidth)
        return fail(cat("the BMP is not 1..", num(kMaxStripWidth), " pixels wide"));
    if (signedHeight == 0 || signedHeight < -kMaxStripHeight || signedHeight > kMaxStripHeight)
        return fail(cat("the BMP is not 1..", num(kMaxStripHeight), " pixels high"));
    if (planes != 1) return fail("the BMP does not have one plane");
    if (bits != 24 && bits != 32)
        return fail(cat("the BMP has ", num(bits), " bits per pixel (use 24 or 32)"));
    bool alphaChannel = bits == 32;
    if (compression == kBiBitfields && bits == 32) {
        // The masks follow a 40-byte header and sit inside a longer one: same place.
        if (info + kInfoHeaderBytes + 12 > size) return fail("the BMP colour masks are missing");
        if (u32(b, info + 40) != 0x00FF0000 || u32(b, info + 44) != 0x0000FF00 ||
            u32(b, info + 48) != 0x000000FF)
            return fail("the BMP uses colour masks other than 8-8-8");
        if (headerBytes >= 56) {
            const std::uint32_t alphaMask = u32(b, info + 52);
            if (alphaMask != 0 && alphaMask != 0xFF000000)
                return fail("the BMP uses an alpha mask other than 8 bits on top");
            alphaChannel = alphaMask != 0;
        }
    } else if (compression != kBiRgb) {
        return fail("the BMP is compressed");
    }
    const bool bottomUp = signedHeight > 0;
    const int height = bottomUp ? signedHeight : -signedHeight;
    const std::uint64_t stride = rowBytes(static_cast<std::uint64_t>(width), bits);
    if (pixelOffset < info + headerBytes || pixelOffset + stride * height > size)
        return fail("the BMP pixel data runs past the end of the file");

    Image& image = result.image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::uint64_t row = pixelOffset + stride * (bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const std::uint64_t at = row + static_cast<std::uint64_t>(x) * (bits / 8);
            const std::uint32_t rgb = static_cast<std::uint32_t>(b[at]) |
                                      (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                                      (static_cast<std::uint32_t>(b[at + 2]) << 16);
            std::uint32_t alpha = 0xFF;
            if (bits == 32) {
                alpha = alphaChannel ? b[at + 3] : 0xFF;
                anyAlpha = anyAlpha || alpha != 0;
            } else if (rgb == kMagenta) {
                alpha = 0;
            }
            image.pixels[static_cast<std::size_t>(y) * width + x] = (alpha << 24) | rgb;
        }
    }
    if (bits == 32 && !anyAlpha)
        for (std::uint32_t& pixel : image.pixels)
            pixel |= 0xFF000000;
    result.ok = true;
    return result;
}

Image stripImage(const Image& strip, int index, int size) {
    Image image;
    image.width = size;
    image.height = size;
    image.pixels.resize(static_cast<std::size_t>(size) * size);
    const int side = strip.height;
    const int left = index * side;
    for (int y = 0; y < size; ++y) {
        const int y0 = y * side / size;
        const int y1 = std::max(y0 + 1, (y + 1) * side / size);
        for (int x = 0; x < size; ++x) {
            const int x0 = x * side / size;
            const int x1 = std::max(x0 + 1, (x + 1) * side / size);
            // Averaged premultiplied, so transparent pixels lend no colour.
            std::uint64_t a = 0, r = 0, g = 0, bl = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint32_t p = strip.at(left + sx, sy);
                    const std::uint32_t alpha = p >> 24;
                    a += alpha;
                    r += ((p >> 16) & 0xFF) * alpha;
                    g += ((p >> 8) & 0xFF) * alpha;
                    bl += (p & 0xFF) * alpha;
                    ++n;
                }
            std::uint32_t pixel = 0;
            if (a != 0)
                pixel = static_cast<std::uint32_t>(((a / n) << 24) | ((r / a) << 16) |
                                                   ((g / a) << 8) | (bl / a));
            image.pixels[static_cast<std::size_t>(y) * size + x] = pixel;
        }
    }
    return image;
}

} // namespace tarvikctl
