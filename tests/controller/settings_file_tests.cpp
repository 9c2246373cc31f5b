// The settings module writes what it reads: every key survives a write and a
// read, the file is replaced keeping a .bak, and icons picked slot by slot load.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "icon_files.h"
#include "settings.h"
#include "temp_folder.h"
#include "test_images.h"

using namespace tarvikctl;
using tarvik::test::TempFolder;
using tarvik::test::writeFile;

namespace {

// Every key with a value other than its default.
constexpr char kEveryKey[] = "[icons]\n"
                             "folder = C:\\icons\n"
                             "large-size = 32\nsmall-size = 12\n"
                             "[explorer]\nhide-logo = yes\nhide-menu = on\n"
                             "hide-titles = 1\nhide-dropdowns = true\n"
                             "[browser]\nhide-logo = yes\nhide-menu = no\n"
                             "hide-titles = yes\nhide-dropdowns = no\n"
                             "[menu]\ntitle = Tools\n"
                             "item = 7, Notepad, plain\nopen = C:\\Windows\\notepad.exe\n"
                             "item = separator\n"
                             "item = 65535, Site\nopen = https://example.org/a?b=c,d\n"
                             "item = 9, Last\n"
                             "toggle = Bar\n";

Settings roundTrip(const Settings& settings) {
    const SettingsResult again = parseSettings(formatSettings(settings), "written.ini", "");
    EXPECT_TRUE(again.ok) << again.error << "\n" << formatSettings(settings);
    return again.settings;
}

TEST(SettingsFile, EveryKeyReadsBackAsWritten) {
    const SettingsResult read = parseSettings(kEveryKey, "every.ini", "");
    ASSERT_TRUE(read.ok) << read.error;
    const Settings& s = read.settings;
    ASSERT_EQ(s.menuEntries.size(), 4u);
    EXPECT_EQ(s.menuEntries[0].caption, "Notepad, plain");
    EXPECT_EQ(s.menuEntries[0].open, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(s.menuEntries[2].open, "https://example.org/a?b=c,d");
    EXPECT_EQ(s.menuEntries[3].open, "");
    EXPECT_EQ(roundTrip(s), s);

    // Only the source in use is written: the others' fields are left empty.
    Settings strip = s;
    strip.iconFolder.clear();
    strip.iconSource = IconSource::Strip;
    strip.strip = "C:\\s.bmp";
    strip.hotStrip = "D:\\h.bmp";
    EXPECT_EQ(roundTrip(strip).hotStrip, "D:\\h.bmp");
    EXPECT_EQ(roundTrip(strip), strip);

    Settings slots = s;
    slots.iconFolder.clear();
    slots.iconSource = IconSource::Slots;
    slots.slotIcons = {{0, false, "C:\\a.ico", 0},
                       {63, true, "C:\\Windows\\shell32.dll", -12},
                       {63, false, "C:\\b.exe", 4}};
    EXPECT_EQ(roundTrip(slots), slots);

    Settings plain; // defaults, no menu
    EXPECT_EQ(roundTrip(plain), plain);

    // A file of the older format (no open, no icon lines) reads as before.
    const SettingsResult old = parseSettings("[menu]\ntitle = t\nitem = 1, one\n", "old.ini", "");
    ASSERT_TRUE(old.ok) << old.error;
    EXPECT_EQ(old.settings.menuEntries[0].open, "");
}

TEST(SettingsFile, NewKeysAreChecked) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"[menu]\ntitle = t\nopen = x\n", "old.ini:3: 'open' must follow an item"},
        {"[menu]\ntitle = t\nitem = separator\nopen = x\n", "old.ini:4: 'open' must follow"},
        {"[menu]\ntitle = t\nitem = 1, a\nopen = x\nopen = y\n", "old.ini:5: the item already"},
        {"[icons]\nicon = 1, a.ico\n", "old.ini:2: an icon is 'slot, file, index'"},
        {"[icons]\nicon = 64, a.ico, 0\n", "old.ini:2: 64 is out of range 0..63"},
        {"[icons]\nicon = 1, a.ico, 0\nhot-icon = 1, a.ico, 1\nicon = 1, b.ico, 0\n",
         "old.ini:4: icon of slot 1 given twice"},
        {"[icons]\nicon = 1, a.ico, 0\nfolder = f\n", "old.ini:3: 'icon' lines exclude"},
    };
    for (const auto& c : cases) {
        const SettingsResult result = parseSettings(c.text, "old.ini", "");
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << result.error;
    }
}

TEST(SettingsFile, SaveReplacesKeepingTheFormerFile) {
    TempFolder folder;
    const std::string path = folder.file("settings.ini");
    Settings first;
    first.explorer.hideLogo = true;
    ASSERT_EQ(saveSettingsFile(path, first), "");
    Settings second = first;
    second.browser.hideMenu = true;
    second.largeSize = 48;
    ASSERT_EQ(saveSettingsFile(path, second), "");

    const SettingsResult now = readSettingsFile(path);
    ASSERT_TRUE(now.ok) << now.error;
    EXPECT_EQ(now.settings, second);
    const SettingsResult backup = readSettingsFile(path + ".bak");
    ASSERT_TRUE(backup.ok) << backup.error;
    EXPECT_EQ(backup.settings, first);
    EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsFile, SlotIconsLoadFromIcoAndLibraryFiles) {
    TempFolder folder;
    const std::string ico = folder.file("one.ico");
    ASSERT_TRUE(
        writeFile(ico, tarvik::test::makeIco({16, 32}, [](int, int) { return 0xFF2040A0u; })));
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    Settings settings;
    settings.iconSource = IconSource::Slots;
    settings.slotIcons = {{2, false, ico, 0}, {2, true, std::string(system) + "\\shell32.dll", 3}};
    IconSet icons;
    ASSERT_EQ(loadIconFiles(settings, icons), "");
    EXPECT_EQ(icons.slotsInUse(), 1);
    for (HICON icon : {icons.large[2], icons.small[2], icons.largeHot[2], icons.smallHot[2]})
        EXPECT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icons.large[2], &info));
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 24);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    settings.slotIcons[1].index = 60000;
    EXPECT_EQ(loadIconFiles(settings, icons).find("shell32.dll: holds no icon 60000"),
              std::string(system).size() + 1);
    ASSERT_TRUE(writeFile(ico, std::string("\0\0\1\0\1\0broken", 12)));
    EXPECT_EQ(loadIconFiles(settings, icons).rfind(ico + ": ", 0), 0u);
    EXPECT_EQ(icons.slotsInUse(), 0) << "nothing kept from a failed load";
}

} // namespace
