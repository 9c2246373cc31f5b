// The settings parser on good files (every key, defaults, paths, spelling
// freedoms) and on bad ones: every error names the file, the line and the problem.
#include <gtest/gtest.h>
#include <string>

#include "library_under_test.h"
#include "settings.h"
#include "temp_folder.h"

using namespace tarvikctl;

namespace {

SettingsResult parse(const std::string& text, const std::string& base = "") {
    return parseSettings(text, "test.ini", base);
}

TEST(SettingsParser, ExampleFileGivesEveryValue) {
    const std::string path = besideThisProgram("examples\\tarvik.ini");
    const SettingsResult result = readSettingsFile(path);
    ASSERT_TRUE(result.ok) << result.error;
    const Settings& s = result.settings;
    EXPECT_EQ(s.iconSource, IconSource::Folder);
    EXPECT_EQ(s.iconFolder, folderOf(path) + "icons");
    EXPECT_EQ(s.largeSize, 24);
    EXPECT_EQ(s.smallSize, 16);
    EXPECT_TRUE(s.explorer.hideLogo);
    EXPECT_FALSE(s.explorer.hideMenu);
    EXPECT_TRUE(s.explorer.hideTitles);
    EXPECT_FALSE(s.explorer.hideDropdowns);
    EXPECT_TRUE(s.browser.hideLogo);
    EXPECT_TRUE(s.browser.hideMenu);
    EXPECT_FALSE(s.browser.hideTitles);
    EXPECT_TRUE(s.browser.hideDropdowns);
    ASSERT_TRUE(s.menuEnabled);
    EXPECT_EQ(s.menuTitle, "Tarvik");
    EXPECT_EQ(s.toggleCaption, "Menu bar");
    ASSERT_EQ(s.menuEntries.size(), 4u);
    EXPECT_EQ(s.menuEntries[0].id, 40001);
    EXPECT_EQ(s.menuEntries[0].caption, "Open settings");
    EXPECT_EQ(s.menuEntries[2].id, kSeparatorId);
    EXPECT_EQ(s.menuEntries[2].caption, "");
    EXPECT_EQ(captionOf(s, 40003), "About TarvikToolBar");
    EXPECT_EQ(captionOf(s, 40004), "");

    const SettingsResult strip = readSettingsFile(besideThisProgram("examples\\tarvik-strip.ini"));
    ASSERT_TRUE(strip.ok) << strip.error;
    EXPECT_EQ(strip.settings.iconSource, IconSource::Strip);
    EXPECT_EQ(strip.settings.hotStrip, folderOf(path) + "strip/toolbar-hot.bmp");
    EXPECT_FALSE(strip.settings.menuEnabled);
}

TEST(SettingsParser, EmptyFileGivesDefaults) {
    const SettingsResult result = parse("");
    ASSERT_TRUE(result.ok) << result.error;
    const Settings& s = result.settings;
    EXPECT_EQ(s.iconSource, IconSource::None);
    EXPECT_EQ(s.largeSize, kDefaultLargeSize);
    EXPECT_EQ(s.smallSize, kDefaultSmallSize);
    EXPECT_FALSE(s.explorer.hideLogo || s.explorer.hideMenu || s.explorer.hideTitles ||
                 s.explorer.hideDropdowns);
    EXPECT_FALSE(s.browser.hideLogo || s.browser.hideMenu || s.browser.hideTitles ||
                 s.browser.hideDropdowns);
    EXPECT_FALSE(s.menuEnabled);
    EXPECT_TRUE(s.menuEntries.empty());
}

TEST(SettingsParser, AcceptsSpellingFreedomsAndLimits) {
    // BOM, CRLF, tabs, letter case, every boolean word, comments, limits exactly met.
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "; another\r\n"
        "[ICONS]\r\n"
        "\tStrip\t=\tpics\\s.bmp  \r\n"
        "HOT-STRIP = C:\\abs\\h.bmp\r\n"
        "large-size = 256\r\n"
        "small-size = 1\r\n"
        "[Explorer]\n"
        "hide-logo = YES\nhide-menu = true\nhide-titles = On\nhide-dropdowns = 1\n"
        "[browser]\n"
        "hide-logo = no\nhide-menu = FALSE\nhide-titles = off\nhide-dropdowns = 0\n"
        "[menu]\n"
        "title = 1234567890123456789012345678901\n"
        "item = 1, one, with comma ; and semicolon\n"
        "item = 65535,max\n"
        "item = SEPARATOR\n"
        "item=3543,a\nitem=3545,b\nitem=7,c\nitem=8,d\nitem=9,e\n";
    const SettingsResult result = parse(text, "D:\\conf\\");
    ASSERT_TRUE(result.ok) << result.error;
    const Settings& s = result.settings;
    EXPECT_EQ(s.iconSource, IconSource::Strip);
    EXPECT_EQ(s.strip, "D:\\conf\\pics\\s.bmp");
    EXPECT_EQ(s.hotStrip, "C:\\abs\\h.bmp") << "absolute paths stay as they are";
    EXPECT_EQ(s.largeSize, 256);
    EXPECT_EQ(s.smallSize, 1);
    EXPECT_TRUE(s.explorer.hideLogo && s.explorer.hideMenu && s.explorer.hideTitles &&
                s.explorer.hideDropdowns);
    EXPECT_FALSE(s.browser.hideLogo || s.browser.hideMenu || s.browser.hideTitles ||
                 s.browser.hideDropdowns);
    EXPECT_EQ(s.menuTitle.size(), 31u);
    EXPECT_EQ(s.toggleCaption, "Menu bar") << "the default toggle caption";
    ASSERT_EQ(s.menuEntries.size(), 8u);
    EXPECT_EQ(s.menuEntries[0].caption, "one, with comma ; and semicolon");
    EXPECT_EQ(s.menuEntries[1].id, 65535);
    EXPECT_EQ(s.menuEntries[2].id, kSeparatorId);
}

TEST(SettingsParser, ResolvesPathsAgainstTheFilesFolder) {
    EXPECT_EQ(folderOf("a\\b\\c.ini"), "a\\b\\");
    EXPECT_EQ(folderOf("a/c.ini"), "a/");
    EXPECT_EQ(folderOf("c.ini"), "");
    EXPECT_EQ(folderOf("C:c.ini"), "C:");
    EXPECT_EQ(resolvePath("a\\", "icons"), "a\\icons");
    EXPECT_EQ(resolvePath("", "icons"), "icons");
    EXPECT_EQ(resolvePath("a\\", "\\root\\icons"), "\\root\\icons");
    EXPECT_EQ(resolvePath("a\\", "/root/icons"), "/root/icons");
    EXPECT_EQ(resolvePath("a\\", "E:icons"), "E:icons");

    tarvik::test::TempFolder folder;
    const std::string path = folder.file("sub\\my.ini");
    ASSERT_TRUE(tarvik::test::writeFile(path, std::string("[icons]\nfolder = pics\n")));
    const SettingsResult result = readSettingsFile(path);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.settings.iconFolder, folder.file("sub\\pics"));
}

struct BadCase {
    const char* text;
    int line;
    const char* problem;
};

TEST(SettingsParser, EveryErrorNamesFileLineAndProblem) {
    const BadCase cases[] = {
        {"[colours]\n", 1, "unknown section [colours]"},
        {"[icons]\n[menu]\ntitle=x\n[icons]\n", 4, "section [icons] given twice (first on line 1)"},
        {"[icons\n", 1, "must end with ']'"},
        {"large-size = 3\n", 1, "outside any section"},
        {"[icons]\nlarge-size 3\n", 2, "expected 'key = value'"},
        {"[icons]\n = 3\n", 2, "key name is missing"},
        {"[icons]\ncolour = red\n", 2, "unknown key 'colour' in [icons]"},
        {"[explorer]\nhide-logo = yes\nhide-logo = no\n", 3, "'hide-logo' given twice"},
        {"[explorer]\nhide-logo = maybe\n", 2, "'maybe' is not a boolean"},
        {"[browser]\nhide-menu =\n", 2, "'' is not a boolean"},
        {"[explorer]\nfolder = x\n", 2, "unknown key 'folder' in [explorer]"},
        {"[icons]\nlarge-size = 0\n", 2, "0 is out of range 1..256"},
        {"[icons]\nsmall-size = 257\n", 2, "257 is out of range 1..256"},
        {"[icons]\nsmall-size = -4\n", 2, "'-4' is not a number 1..256"},
        {"[icons]\nlarge-size = 99999999999999\n", 2, "is not a number"},
        {"[icons]\nlarge-size = \n", 2, "a number 1..256 is missing"},
        {"[icons]\nfolder =\n", 2, "the path is empty"},
        {"[icons]\nfolder = a\nstrip = b\n", 3, "'folder' and 'strip' exclude each other"},
        {"[icons]\nstrip = b\n\nfolder = a\n", 4, "'folder' and 'strip' exclude each other"},
        {"[icons]\nhot-strip = h.bmp\n", 2, "'hot-strip' needs a 'strip'"},
        {"\n[menu]\nitem = 1, a\n", 2, "[menu] needs a title"},
        {"[menu]\ntitle =\n", 2, "the title is empty"},
        {"[menu]\ntitle = 12345678901234567890123456789012\n", 2,
         "the title is 32 bytes long; at most 31 fit"},
        {"[menu]\ntitle=t\ntoggle = 12345678901234567890123456789012345\n", 3,
         "the toggle caption is 35 bytes long"},
        {"[menu]\ntitle=t\nitem = 5, 12345678901234567890123456789012\n", 3,
         "the caption is 32 bytes long"},
        {"[menu]\ntitle=t\nitem = 5,\n", 3, "the caption is empty"},
        {"[menu]\ntitle=t\nitem = 5\n", 3, "an item is 'id, caption' or 'separator'"},
        {"[menu]\ntitle=t\nitem = 0, zero\n", 3, "0 is out of range 1..65535"},
        {"[menu]\ntitle=t\nitem = 65536, big\n", 3, "65536 is out of range 1..65535"},
        {"[menu]\ntitle=t\nitem = x1, a\n", 3, "'x1' is not a number 1..65535"},
        {"[menu]\ntitle=t\nitem = 3544, toggle\n", 3, "3544 is the library's own menu-bar item"},
        {"[menu]\ntitle=t\nitem=1,a\nitem=2,b\nitem=3,c\nitem=4,d\nitem=separator\nitem=5,e\n"
         "item=6,f\nitem=7,g\nitem=8,h\n",
         11, "more than 8 items"},
        {"[menu]\ntitle=t\ntitle=u\n", 3, "'title' given twice in [menu] (first on line 2)"},
        {"[menu]\ntitle=a\x01"
         "b\n",
         2, "control character (byte 0x01)"},
        {"[icons]\r\nfolder = a\rb\r\n", 2, "control character (byte 0x0D)"},
        {"[icons]\n\nfolder = a\x7f\n", 3, "control character (byte 0x7F)"},
    };
    for (const BadCase& bad : cases) {
        const SettingsResult result = parse(bad.text);
        EXPECT_FALSE(result.ok) << bad.text;
        const std::string prefix = "test.ini:" + std::to_string(bad.line) + ": ";
        EXPECT_EQ(result.error.rfind(prefix, 0), 0u)
            << "for " << bad.text << "\nexpected prefix " << prefix << "\ngot " << result.error;
        EXPECT_NE(result.error.find(bad.problem), std::string::npos)
            << "for " << bad.text << "\nexpected " << bad.problem << "\ngot " << result.error;
    }
}

TEST(SettingsParser, FileLevelErrorsNameTheFile) {
    tarvik::test::TempFolder folder;
    const SettingsResult missing = readSettingsFile(folder.file("absent.ini"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error.rfind(folder.file("absent.ini") + ": cannot open", 0), 0u)
        << missing.error;

    const std::string big = folder.file("big.ini");
    ASSERT_TRUE(tarvik::test::writeFile(big, std::string(kMaxSettingsBytes + 1, '#')));
    const SettingsResult tooBig = readSettingsFile(big);
    EXPECT_FALSE(tooBig.ok);
    EXPECT_EQ(tooBig.error, big + ": larger than 64 KiB; not a settings file");

    const SettingsResult folderAsFile = readSettingsFile(folder.path());
    EXPECT_FALSE(folderAsFile.ok);
    EXPECT_EQ(folderAsFile.error.rfind(folder.path() + ": cannot", 0), 0u) << folderAsFile.error;
}

} // namespace
