// Thousands of random and damaged inputs through every reader of outside
// data: each ends in a valid result or an error message, never a fault, and
// whatever is accepted keeps the limits the library relies on.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "icon_files.h"
#include "icon_handles.h"
#include "image_formats.h"
#include "library_under_test.h"
#include "settings.h"
#include "temp_folder.h"
#include "test_images.h"

using namespace tarvikctl;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string randomBytes(std::mt19937& random, std::size_t most) {
    std::string text(random() % (most + 1), '\0');
    for (char& c : text)
        c = static_cast<char>(random() & 0xFF);
    return text;
}

// Text from the settings vocabulary, so that inputs reach past the first line.
std::string randomSettingsText(std::mt19937& random) {
    static const char* const pieces[] = {"[icons]",
                                         "[explorer]",
                                         "[browser]",
                                         "[menu]",
                                         "[other]",
                                         "folder",
                                         "strip",
                                         "hot-strip",
                                         "large-size",
                                         "small-size",
                                         "hide-logo",
                                         "hide-menu",
                                         "hide-titles",
                                         "hide-dropdowns",
                                         "title",
                                         "item",
                                         "toggle",
                                         "=",
                                         " = ",
                                         ",",
                                         "yes",
                                         "no",
                                         "maybe",
                                         "0",
                                         "1",
                                         "24",
                                         "256",
                                         "257",
                                         "3544",
                                         "40001",
                                         "65536",
                                         "separator",
                                         "icons",
                                         "C:\\x",
                                         "Caption",
                                         "0123456789012345678901234567890123",
                                         "#",
                                         ";",
                                         " ",
                                         "\t",
                                         "\n",
                                         "\n",
                                         "\n",
                                         "\r\n",
                                         "\r",
                                         "\x01",
                                         "\xEF\xBB\xBF",
                                         "]",
                                         "["};
    constexpr std::size_t count = sizeof pieces / sizeof pieces[0];
    std::string text;
    const int length = static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i)
        text += pieces[random() % count];
    return text;
}

std::string mutate(std::mt19937& random, std::string text) {
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        const std::size_t at = random() % text.size();
        switch (random() % 4) {
        case 0: text[at] = static_cast<char>(random() & 0xFF); break;
        case 1: text.erase(at, 1 + random() % 8); break;
        case 2: text.insert(at, 1, static_cast<char>(random() & 0xFF)); break;
        default: text.insert(at, text.substr(at, random() % 40)); break;
        }
    }
    return text;
}

Bytes mutateBytes(std::mt19937& random, Bytes bytes) {
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < edits && !bytes.empty(); ++i) {
        // Headers are where the damage matters: aim there most of the time.
        const std::size_t span =
            random() % 2 == 0 ? std::min<std::size_t>(bytes.size(), 160) : bytes.size();
        const std::size_t at = random() % span;
        switch (random() % 4) {
        case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
        case 1: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
        case 2: bytes.resize(at); break;
        default: bytes[at] = random() % 2 ? 0xFF : 0x00; break;
        }
    }
    return bytes;
}

// The line number in "fuzz.ini:<n>: ...", 0 for "fuzz.ini: ...", -1 if neither.
int errorLine(const std::string& error) {
    const std::string prefix = "fuzz.ini:";
    if (error.rfind(prefix, 0) != 0) return -1;
    if (error.compare(prefix.size(), 1, " ") == 0) return 0;
    std::size_t at = prefix.size();
    int line = 0;
    while (at < error.size() && error[at] >= '0' && error[at] <= '9' && line < 1000000)
        line = line * 10 + (error[at++] - '0');
    return error.compare(at, 2, ": ") == 0 && line > 0 ? line : -1;
}

// Checks one parse; true if accepted.
bool checkSettingsOutcome(const std::string& text) {
    const SettingsResult result = parseSettings(text, "fuzz.ini", "");
    if (!result.ok) {
        const int line = errorLine(result.error);
        EXPECT_GE(line, 0) << "malformed message: " << result.error;
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        EXPECT_LE(line, lines) << result.error;
        EXPECT_GT(result.error.size(), std::string("fuzz.ini:1: ").size());
        return false;
    }
    EXPECT_TRUE(result.error.empty());
    const Settings& s = result.settings;
    EXPECT_TRUE(s.largeSize >= 1 && s.largeSize <= 256);
    EXPECT_TRUE(s.smallSize >= 1 && s.smallSize <= 256);
    EXPECT_LE(s.menuEntries.size(), 8u);
    EXPECT_LE(s.menuTitle.size(), 31u);
    EXPECT_LE(s.toggleCaption.size(), 31u);
    EXPECT_EQ(s.menuEnabled, !s.menuTitle.empty());
    for (const MenuEntry& entry : s.menuEntries) {
        if (entry.id == kSeparatorId) continue;
        EXPECT_TRUE(entry.id >= 1 && entry.id <= 65535 && entry.id != 3544) << entry.id;
        EXPECT_TRUE(!entry.caption.empty() && entry.caption.size() <= 31);
        EXPECT_EQ(entry.caption.find('\0'), std::string::npos);
    }
    return true;
}

TEST(Robustness, SettingsParserTakesAnyBytes) {
    std::mt19937 random(20240601);
    const std::string example = [] {
        const Bytes bytes = tarvik::test::readWholeFile(besideThisProgram("examples\\tarvik.ini"));
        return std::string(bytes.begin(), bytes.end());
    }();
    ASSERT_FALSE(example.empty());
    int accepted[3] = {}, rejected[3] = {};
    for (int round = 0; round < 6000; ++round) {
        const int kind = round % 3;
        const std::string text = kind == 0   ? randomBytes(random, 400)
                                 : kind == 1 ? randomSettingsText(random)
                                             : mutate(random, example);
        (checkSettingsOutcome(text) ? accepted : rejected)[kind]++;
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
    // The generators reach both outcomes, or the run would prove little.
    EXPECT_GT(accepted[1], 20);
    EXPECT_GT(rejected[1], 20);
    EXPECT_GT(accepted[2], 20);
    EXPECT_GT(rejected[2], 20);
    EXPECT_GT(rejected[0], 1900);
}

TEST(Robustness, IconHandleParserTakesAnyBytes) {
    std::mt19937 random(77);
    const std::string good = "large-size 24\nsmall-size 16\n"
                             "icon 0 0x1a2b 0x1a2c 0x1a2d 0\n"
                             "icon 63 1 2 3 4\n# end\n";
    ASSERT_TRUE(parseIconHandles(good, "h.txt", UINT32_MAX).ok);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = round % 2 == 0 ? randomBytes(random, 200) : mutate(random, good);
        const IconHandlesResult result = parseIconHandles(text, "h.txt", UINT32_MAX);
        if (result.ok) {
            ++accepted;
            EXPECT_TRUE(result.error.empty());
            for (int slot = 0; slot < tarvikctl::kIconSlots; ++slot)
                EXPECT_LE(result.handles.large[slot], UINT32_MAX);
            EXPECT_TRUE(result.handles.largeSize >= 0 && result.handles.largeSize <= 256);
        } else {
            EXPECT_EQ(result.error.rfind("h.txt:", 0), 0u) << result.error;
        }
        if (HasFailure()) return;
    }
    EXPECT_GT(accepted, 20);
}

// Damaged icon files: the check refuses or the system loader gets a file whose
// every image lies inside it; either way nothing faults.
TEST(Robustness, IconFilesSurviveDamage) {
    std::mt19937 random(31337);
    const Bytes ico = tarvik::test::makeIco(
        {16, 24}, [](int x, int y) { return 0xFF000000u | static_cast<std::uint32_t>(x * 9 + y); });
    ASSERT_EQ(checkIconFile(ico), "");
    tarvik::test::TempFolder folder;
    int loaded = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes bytes = round % 5 == 0 ? [&] {
            const std::string raw = randomBytes(random, 200);
            return Bytes(raw.begin(), raw.end());
        }()
                                           : mutateBytes(random, ico);
        const std::string problem = checkIconFile(bytes);
        if (!problem.empty()) {
            ++refused;
            continue;
        }
        // Only a few hundred go through the system loader: that is the slow part.
        if (loaded >= 150) continue;
        const std::string path = folder.file("f.ico");
        ASSERT_TRUE(tarvik::test::writeFile(path, bytes));
        HICON icon = static_cast<HICON>(
            LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 24, 24, LR_LOADFROMFILE));
        if (icon != nullptr) DestroyIcon(icon);
        ++loaded;
    }
    EXPECT_GT(refused, 500);
    EXPECT_GT(loaded, 75);
}

TEST(Robustness, BmpStripsSurviveDamage) {
    std::mt19937 random(4242);
    const Bytes strips[] = {
        tarvik::test::makeBmp(32, 16, [](int x, int y) { return 0xFF000000u | (x * 7 + y); }),
        tarvik::test::makeBmp(
            48, 16, [](int x, int) { return static_cast<std::uint32_t>(x) << 26; },
            tarvik::test::BmpLayout::Argb32V5Bitfields)};
    int decoded = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes bytes = mutateBytes(random, strips[round % 2]);
        const ImageResult result = decodeBmp(bytes);
        if (!result.ok) {
            EXPECT_FALSE(result.error.empty());
            ++refused;
            continue;
        }
        ++decoded;
        const Image& image = result.image;
        ASSERT_TRUE(image.width >= 1 && image.width <= kMaxStripWidth);
        ASSERT_TRUE(image.height >= 1 && image.height <= kMaxStripHeight);
        ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
        if (image.width % image.height == 0 &&
            image.width / image.height <= tarvikctl::kIconSlots && decoded % 10 == 0) {
            HICON icon = makeIcon(stripImage(image, image.width / image.height - 1, 24));
            EXPECT_NE(icon, nullptr);
            if (icon != nullptr) DestroyIcon(icon);
        }
    }
    EXPECT_GT(decoded, 300);
    EXPECT_GT(refused, 300);
}

} // namespace
