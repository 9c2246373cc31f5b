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

enum class IconSource { None, Folder, Strip };

struct FrameOptions {
    bool hideLogo = false;
    bool hideMenu = false;
    bool hideTitles = false;
    bool hideDropdowns = false;
};

struct MenuEntry {
    int id = kSeparatorId; // kSeparatorId: a separator, caption empty
    std::string caption;
};

struct Settings {
    IconSource iconSource = IconSource::None;
    std::string iconFolder; // Folder: resolved against the settings file's folder
    std::string strip;      // Strip: the same
    std::string hotStrip;   // Strip: optional
    int largeSize = kDefaultLargeSize;
    int smallSize = kDefaultSmallSize;
    FrameOptions explorer;
    FrameOptions browser;
    bool menuEnabled = false; // a [menu] section was given
    std::string menuTitle;
    std::vector<MenuEntry> menuEntries;
    std::string toggleCaption;
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

// The caption of the first entry with this id, or "" if none has it.
std::string captionOf(const Settings& settings, int commandId);

} // namespace tarvikctl
