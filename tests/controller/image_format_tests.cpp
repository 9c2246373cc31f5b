// Decoding BMP strips and checking icon files from their bytes: known pixels
// come out where they belong, damaged layouts are named.
#include <gtest/gtest.h>
#include <string>

#include "image_formats.h"
#include "library_under_test.h"
#include "temp_folder.h"
#include "test_images.h"

using namespace tarvikctl;
using tarvik::test::BmpLayout;
using tarvik::test::makeBmp;
using tarvik::test::makeIco;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A colour that tells where a pixel came from.
std::uint32_t marker(int x, int y) {
    return static_cast<std::uint32_t>((x << 16) | (y << 8) | 0x11);
}

void setU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(ImageFormats, BmpPixelsComeOutTopDownWithTheirAlpha) {
    // 24-bit, stored bottom-up with padded rows (width 5): magenta is transparent.
    const ImageResult rgb = decodeBmp(
        makeBmp(5, 3, [](int x, int y) { return x == 4 && y == 0 ? 0xFF00FFu : marker(x, y); }));
    ASSERT_TRUE(rgb.ok) << rgb.error;
    EXPECT_EQ(rgb.image.width, 5);
    EXPECT_EQ(rgb.image.height, 3);
    EXPECT_EQ(rgb.image.at(0, 0), 0xFF000000u | marker(0, 0));
    EXPECT_EQ(rgb.image.at(3, 2), 0xFF000000u | marker(3, 2));
    EXPECT_EQ(rgb.image.at(4, 0) >> 24, 0u) << "magenta is transparent";

    // 32-bit top-down with real alpha.
    const ImageResult argb = decodeBmp(makeBmp(
        4, 2,
        [](int x, int y) { return (static_cast<std::uint32_t>(x * 60) << 24) | marker(x, y); },
        BmpLayout::Argb32TopDown));
    ASSERT_TRUE(argb.ok) << argb.error;
    EXPECT_EQ(argb.image.at(0, 0), marker(0, 0));
    EXPECT_EQ(argb.image.at(3, 1), (180u << 24) | marker(3, 1));

    // 32-bit whose alpha is zero everywhere: opaque, not invisible.
    const ImageResult noAlpha = decodeBmp(makeBmp(2, 2, marker, BmpLayout::Argb32TopDown));
    ASSERT_TRUE(noAlpha.ok);
    EXPECT_EQ(noAlpha.image.at(1, 1), 0xFF000000u | marker(1, 1));

    // BI_BITFIELDS with a V5 header, as image editors write them.
    const ImageResult v5 = decodeBmp(makeBmp(
        3, 2, [](int x, int y) { return 0x80000000u | marker(x, y); },
        BmpLayout::Argb32V5Bitfields));
    ASSERT_TRUE(v5.ok) << v5.error;
    EXPECT_EQ(v5.image.at(2, 1), 0x80000000u | marker(2, 1));
}

TEST(ImageFormats, DamagedBmpsAreNamed) {
    const Bytes good = makeBmp(4, 2, marker);
    struct Case {
        Bytes bytes;
        const char* problem;
    };
    std::vector<Case> cases;
    auto with = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    cases.push_back({Bytes(10, 'B'), "not a BMP file"});
    cases.push_back({with([](Bytes& b) { b[0] = 'X'; }), "not a BMP file"});
    cases.push_back(
        {with([](Bytes& b) { setU32(b, 14, 12); }), "unsupported BMP header (12 bytes)"});
    cases.push_back({with([](Bytes& b) { b[28] = 8; }), "8 bits per pixel (use 24 or 32)"});
    cases.push_back({with([](Bytes& b) { setU32(b, 30, 1); }), "compressed"});
    cases.push_back({with([](Bytes& b) { setU32(b, 18, 0); }), "not 1..16384 pixels wide"});
    cases.push_back({with([](Bytes& b) { setU32(b, 22, 300); }), "not 1..256 pixels high"});
    cases.push_back({with([](Bytes& b) { b[26] = 2; }), "does not have one plane"});
    cases.push_back({with([](Bytes& b) { b.resize(b.size() - 1); }), "runs past the end"});
    cases.push_back({with([](Bytes& b) { setU32(b, 10, 0xFFFFFFF0u); }), "runs past the end"});
    cases.push_back({with([](Bytes& b) { setU32(b, 10, 20); }), "runs past the end"});
    Bytes masks = makeBmp(2, 2, marker, BmpLayout::Argb32V5Bitfields);
    setU32(masks, 14 + 40, 0xFF);
    cases.push_back({masks, "colour masks other than 8-8-8"});
    for (const Case& c : cases) {
        const ImageResult result = decodeBmp(c.bytes);
        EXPECT_FALSE(result.ok) << c.problem;
        EXPECT_NE(result.error.find(c.problem), std::string::npos)
            << "expected " << c.problem << ", got " << result.error;
    }
}

TEST(ImageFormats, StripImagesAreCutAndScaled) {
    // Three 4x4 squares; square i has colour i+1 and a transparent top-left pixel.
    Image strip;
    strip.width = 12;
    strip.height = 4;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 12; ++x)
            strip.pixels.push_back(x % 4 == 0 && y == 0 ? 0x00FF0000u
                                                        : 0xFF000000u | (x / 4 + 1) * 0x10);
    const Image same = stripImage(strip, 2, 4);
    EXPECT_EQ(same.at(1, 1), 0xFF000030u);
    EXPECT_EQ(same.at(0, 0), 0u);

    // Halving averages 2x2 blocks; the transparent pixel lends alpha, not colour.
    const Image half = stripImage(strip, 1, 2);
    ASSERT_EQ(half.pixels.size(), 4u);
    EXPECT_EQ(half.at(0, 0), (0xBFu << 24) | 0x20u);
    EXPECT_EQ(half.at(1, 1), 0xFF000020u);

    // Growing repeats pixels.
    const Image big = stripImage(strip, 0, 8);
    EXPECT_EQ(big.at(0, 0), 0u);
    EXPECT_EQ(big.at(1, 1), 0u);
    EXPECT_EQ(big.at(2, 0), 0xFF000010u);
    EXPECT_EQ(big.at(7, 7), 0xFF000010u);
}

TEST(ImageFormats, IconFileChecks) {
    const Bytes example = tarvik::test::readWholeFile(besideThisProgram("examples\\icons\\00.ico"));
    ASSERT_FALSE(example.empty());
    EXPECT_EQ(checkIconFile(example), "");
    const Bytes good = makeIco({16, 32}, marker);
    EXPECT_EQ(checkIconFile(good), "");

    struct Case {
        Bytes bytes;
        const char* problem;
    };
    auto with = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    const Case cases[] = {
        {Bytes{0, 0, 1}, "too short"},
        {with([](Bytes& b) { b[2] = 3; }), "not an icon file"},
        {with([](Bytes& b) { b[2] = 2; }), "a cursor file"},
        {with([](Bytes& b) { b[4] = 0; }), "without images"},
        {with([](Bytes& b) { b[4] = 0xFF, b[5] = 0x7F; }), "directory runs past the end"},
        {with([](Bytes& b) { setU32(b, 6 + 8, 0); }), "image 1 of 2: empty"},
        {with([](Bytes& b) { setU32(b, 6 + 16 + 12, 0x7FFFFFFF); }), "image 2 of 2: lies outside"},
        {with([](Bytes& b) { setU32(b, 6 + 12, 2); }), "image 1 of 2: lies outside"},
        {with([](Bytes& b) { b.resize(b.size() - 4); }), "image 2 of 2: lies outside"},
        {with([](Bytes& b) { setU32(b, 38 + 4, 300); }), "not 1..256 pixels wide"},
        {with([](Bytes& b) { setU32(b, 38 + 8, 31); }), "bad height"},
        {with([](Bytes& b) { b[38 + 14] = 7; }), "7 bits per pixel"},
        {with([](Bytes& b) { setU32(b, 38 + 16, 1); }), "compressed"},
        {with([](Bytes& b) { setU32(b, 38, 9999); }), "bad header size"},
        {with([](Bytes& b) {
             setU32(b, 6 + 8, 100); // shorter than its pixels
         }),
         "pixels run past its end"},
    };
    for (const Case& c : cases) {
        const std::string problem = checkIconFile(c.bytes);
        EXPECT_NE(problem.find(c.problem), std::string::npos)
            << "expected " << c.problem << ", got '" << problem << "'";
    }
}

} // namespace
