// The controller's settings as read from its settings file, checked and with
// every default filled in. Plain C++: no Win32 here, so tests run it anywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvikctl {

// Limits of the library's tables, repeated so that this file needs no Win32
// header; session.cpp checks them against TarvikToolBar.h.
constexpr int kIconSlots = 64;
constexpr int kMenuEntries = 8;
constexpr int kCaptionMaxBytes = 31;
constexpr int kMinIconSize = 1;
constexpr int kMaxIconSize = 256;
constexpr int kDefaultLargeSize = 24;
constexpr int kDefaultSmallSize = 16;
// Command ids are carried in a WORD; 0 means "no choice" to a menu, and the
// library keeps its own id for the menu-bar item.
constexpr int kMinCommandId = 1;
constexpr int kMaxCommandId = 0xFFFF;
constexpr int kReservedCommandId = 0x0DD8;
// The library's marker for a separator entry.
constexpr int kSeparatorId = -1;
// Anything bigger is not a settings file.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

// Slots: each icon picked from an .ico, .dll or .exe (an index into its icons).
enum class IconSource { None, Folder, Strip, Slots };

struct FrameOptions {
    bool hideLogo = false;
    bool hideMenu = false;
    bool hideTitles = false;
    bool hideDropdowns = false;
    bool operator==(const FrameOptions&) const = default;
};

// Icon indices as ExtractIconEx takes them: negative names a resource id.
constexpr int kMaxIconIndex = 65535;

struct SlotIcon {
    int slot = 0;
    bool hot = false;
    std::string file; // resolved against the settings file's folder
    int index = 0;
    bool operator==(const SlotIcon&) const = default;
};

struct MenuEntry {
    int id = kSeparatorId; // kSeparatorId: a separator, caption empty
    std::string caption;
    std::string open; // program, document, folder or URL to open when chosen; "" none
    bool operator==(const MenuEntry&) const = default;
};

struct Settings {
    IconSource iconSource = IconSource::None;
    std::string iconFolder;          // Folder: resolved against the settings file's folder
    std::string strip;               // Strip: the same
    std::string hotStrip;            // Strip: optional
    std::vector<SlotIcon> slotIcons; // Slots: in the order given
    int largeSize = kDefaultLargeSize;
    int smallSize = kDefaultSmallSize;
    FrameOptions explorer;
    FrameOptions browser;
    bool menuEnabled = false; // a [menu] section was given
    std::string menuTitle;
    std::vector<MenuEntry> menuEntries;
    std::string toggleCaption;
    bool operator==(const Settings&) const = default;
};

// Either settings (ok) or a message of the form "<file>:<line>: <problem>".
struct SettingsResult {
    bool ok = false;
    Settings settings;
    std::string error;
};

// Parses settings text. `fileName` appears in messages; relative paths in the
// text are taken relative to `baseFolder` (empty: as they are).
SettingsResult parseSettings(std::string_view text, const std::string& fileName,
                             const std::string& baseFolder);

// Reads and parses a settings file; relative paths are relative to its folder.
SettingsResult readSettingsFile(const std::string& path);

// The folder part of a path ("" if it has none), with its trailing separator.
std::string folderOf(const std::string& path);

// `path` if absolute, else `folder` + `path`.
std::string resolvePath(const std::string& folder, const std::string& path);

// The first entry with this id, or null if none has it.
const MenuEntry* entryOf(const Settings& settings, int commandId);

// The caption of the first entry with this id, or "" if none has it.
std::string captionOf(const Settings& settings, int commandId);

// The settings as the text of a settings file that reads back as the same settings
// (paths as they are held: absolute once read from a file).
std::string formatSettings(const Settings& settings);

// Writes the settings file in one step for readers: a temporary file beside it,
// then a replace that keeps the previous file as <path>.bak. "" or the problem.
std::string saveSettingsFile(const std::string& path, const Settings& settings);

} // namespace tarvikctl
