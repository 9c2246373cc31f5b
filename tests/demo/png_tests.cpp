// The demo's PNG writer: the checksums against their published check values,
// a round trip through the reader over more than one stored block, and the
// reader refusing damaged bytes.
#include <gtest/gtest.h>

#include <cstring>
#include "png.h"

namespace {

TEST(DemoPng, ChecksumsMatchTheirCheckValues) {
    const char* digits = "123456789";
    EXPECT_EQ(demo::crc32(reinterpret_cast<const std::uint8_t*>(digits), 9), 0xCBF43926u);
    const char* word = "Wikipedia";
    EXPECT_EQ(demo::adler32(reinterpret_cast<const std::uint8_t*>(word), 9), 0x11E60398u);
}

TEST(DemoPng, RoundTripAndDamage) {
    // 3 * 300 * 120 bytes of rows: two stored blocks.
    demo::Picture picture(300, 120);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = static_cast<std::uint32_t>((x * 7919 + y * 104729) & 0xFFFFFF);
    const std::vector<std::uint8_t> bytes = demo::encodePng(picture);

    demo::Picture back;
    ASSERT_EQ(demo::decodePng(bytes, back), "");
    EXPECT_EQ(back.width, 300);
    EXPECT_EQ(back.height, 120);
    EXPECT_TRUE(back.pixels == picture.pixels);

    std::vector<std::uint8_t> damaged = bytes;
    damaged[damaged.size() / 2] ^= 0x40; // inside IDAT
    EXPECT_EQ(demo::decodePng(damaged, back), "a chunk CRC mismatch");
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
    EXPECT_NE(demo::decodePng(cut, back), "");
}

} // namespace
