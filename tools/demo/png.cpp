// PNG writer and reader. Stored deflate blocks keep the encoder to a few
// lines; screenshots of a few frames stay a few megabytes.
#include "png.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace demo {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kMaxStoredBlock = 65535;

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t getBig32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

void putChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, crc32(out.data() + typeAt, 4 + data.size()));
}

// Filter byte 0 and RGB for every row.
std::vector<std::uint8_t> scanlines(const Picture& picture) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(picture.height) * (1 + 3 * picture.width));
    for (int y = 0; y < picture.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.at(x, y);
            raw.push_back(static_cast<std::uint8_t>(pixel >> 16));
            raw.push_back(static_cast<std::uint8_t>(pixel >> 8));
            raw.push_back(static_cast<std::uint8_t>(pixel));
        }
    }
    return raw;
}

std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - at);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    putBig32(out, adler32(raw.data(), raw.size()));
    return out;
}

std::string inflateStored(const std::vector<std::uint8_t>& z, std::vector<std::uint8_t>& raw) {
    if (z.size() < 6 || (z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31 != 0)
        return "not a zlib stream";
    std::size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > z.size()) return "deflate data ends early";
        const std::uint8_t head = z[at];
        last = (head & 1) != 0;
        if ((head >> 1) != 0) return "a compressed deflate block (only stored blocks are read)";
        const std::size_t length = z[at + 1] | (z[at + 2] << 8);
        const std::size_t check = z[at + 3] | (z[at + 4] << 8);
        if ((length ^ 0xFFFF) != check) return "a stored block with a bad length";
        at += 5;
        if (at + length > z.size()) return "a stored block runs past the data";
        raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(at),
                   z.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    if (at + 4 > z.size()) return "no Adler-32";
    if (getBig32(z.data() + at) != adler32(raw.data(), raw.size())) return "Adler-32 mismatch";
    return "";
}

} // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    const auto& table = crcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
    constexpr std::uint32_t kMod = 65521;
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kMod;
        b = (b + a) % kMod;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> encodePng(const Picture& picture) {
    std::vector<std::uint8_t> out(kSignature, kSignature + 8);
    std::vector<std::uint8_t> header;
    putBig32(header, static_cast<std::uint32_t>(picture.width));
    putBig32(header, static_cast<std::uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, deflate, filter 0, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", zlibStored(scanlines(picture)));
    putChunk(out, "IEND", {});
    return out;
}

std::string decodePng(const std::vector<std::uint8_t>& bytes, Picture& picture) {
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0)
        return "no PNG signature";
    std::size_t at = 8;
    int width = 0, height = 0;
    std::vector<std::uint8_t> z;
    bool ended = false;
    while (!ended) {
        if (at + 12 > bytes.size()) return "the chunks end early";
        const std::uint32_t length = getBig32(bytes.data() + at);
        if (length > bytes.size() - at - 12) return "a chunk runs past the file";
        const std::uint8_t* type = bytes.data() + at + 4;
        const std::uint8_t* data = type + 4;
        if (getBig32(data + length) != crc32(type, 4 + length)) return "a chunk CRC mismatch";
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13) return "a bad IHDR";
            width = static_cast<int>(getBig32(data));
            height = static_cast<int>(getBig32(data + 4));
            if (data[8] != 8 || data[9] != 2 || data[12] != 0)
                return "not 8-bit RGB, not interlaced";
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            z.insert(z.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += 12 + length;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return "no usable IHDR";
    std::vector<std::uint8_t> raw;
    const std::string problem = inflateStored(z, raw);
    if (!problem.empty()) return problem;
    const std::size_t stride = 1 + 3 * static_cast<std::size_t>(width);
    if (raw.size() != stride * height) return "image data of the wrong size";
    picture = Picture(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = raw.data() + stride * y;
        if (row[0] != 0) return "a row with a filter other than 0";
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = row + 1 + 3 * x;
            picture.at(x, y) = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        }
    }
    return "";
}

} // namespace demo
