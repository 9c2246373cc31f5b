// Parsing and checking the settings file.
//
// The file is INI-like text, read as bytes (captions go to the library as
// they are, so write them in the system's ANSI code page):
//
//   # a comment (a line starting with '#' or ';'; there are no trailing comments,
//   # since captions may contain those characters)
//   [icons]                 optional; without it the toolbars keep their icons
//   folder = icons          a folder of 00.ico .. 63.ico and hot-00.ico .. hot-63.ico
//   strip = strip.bmp       or one BMP strip of square images side by side
//   hot-strip = hot.bmp     optional, only with strip; the same size as the strip
//   icon = 3, shell32.dll, 4        or icons slot by slot: slot 0..63, a .ico, .dll or
//   hot-icon = 3, my.ico, 0         .exe, and the index of the icon in it (negative:
//                                   a resource id); each slot once, hot ones optional
//   large-size = 24         1..256, default 24
//   small-size = 16         1..256, default 16
//   [explorer]              the file-manager frames; [browser] the browser frames
//   hide-logo = yes         yes/no, true/false, on/off, 1/0; default no
//   hide-menu = no
//   hide-titles = no
//   hide-dropdowns = no
//   [menu]                  optional; without it the context menu is left alone
//   title = Tarvik          the submenu's caption (required)
//   item = 40001, Open settings     command id 1..65535 (not 3544), caption
//   open = notepad.exe              optional, after an item: a program, document,
//                                   folder or URL opened when the item is chosen
//   item = separator
//   toggle = Menu bar       caption of the menu-bar item, default "Menu bar"
//
// Section and key names and boolean words ignore letter case. Each key is
// given at most once, except item (at most 8), open (once per item), icon and hot-icon. Captions
// are 1..31 bytes. Relative paths are relative to the settings file's folder. A UTF-8 byte order
// mark is skipped; control characters other than tab are refused.
#include "settings.h"
#include "text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <map>

namespace tarvikctl {

namespace {

enum class Section { None, Icons, Explorer, Browser, Menu };

struct SectionName {
    const char* name;
    Section section;
};

constexpr SectionName kSections[] = {{"icons", Section::Icons},
                                     {"explorer", Section::Explorer},
                                     {"browser", Section::Browser},
                                     {"menu", Section::Menu}};

constexpr std::size_t kShownBytes = 40; // of an unknown name, in a message

std::string lowercase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string shown(std::string_view text) {
    if (text.size() <= kShownBytes) return std::string(text);
    return cat(text.substr(0, kShownBytes), "...");
}

// A name or value for a message: quoted, cut short if long.
std::string quoted(std::string_view text) {
    std::string result("'");
    result.append(text.substr(0, kShownBytes));
    if (text.size() > kShownBytes) result.append("...");
    result.append("'");
    return result;
}

class Parser {
  public:
    Parser(std::string_view text, const std::string& fileName, const std::string& baseFolder)
        : text_(text), fileName_(fileName), baseFolder_(baseFolder) {}

    SettingsResult run() {
        if (text_.size() > kMaxSettingsBytes)
            return fileError(
                cat("larger than ", num(kMaxSettingsBytes / 1024), " KiB; not a settings file"));
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
        std::size_t start = 0;
        while (start <= text_.size() && error_.empty()) {
            std::size_t end = text_.find('\n', start);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view line = text_.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNumber_;
            parseLine(line);
            start = end + 1;
        }
        if (error_.empty()) finish();
        SettingsResult result;
        result.ok = error_.empty();
        result.error = error_;
        if (result.ok) result.settings = settings_;
        return result;
    }

  private:
    SettingsResult fileError(const std::string& problem) {
        SettingsResult result;
        result.error = cat(fileName_, ": ", problem);
        return result;
    }

    void fail(int line, const std::string& problem) {
        if (error_.empty()) error_ = cat(fileName_, ":", num(line), ": ", problem);
    }
    void fail(const std::string& problem) { fail(lineNumber_, problem); }

    void parseLine(std::string_view line) {
        for (unsigned char c : line)
            if ((c < 0x20 && c != '\t') || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", c);
                return fail(cat("control character (byte ", hex, ")"));
            }
        line = trim(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') return;
        if (line.front() == '[') return parseSectionHeader(line);
        if (section_ == Section::None) return fail(cat(quoted(line), " outside any section"));
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return fail(cat("expected 'key = value', found ", quoted(line)));
        const std::string key = lowercase(trim(line.substr(0, equals)));
        const std::string_view value = trim(line.substr(equals + 1));
        if (key.empty()) return fail("a key name is missing before '='");
        parseKey(key, value);
    }

    void parseSectionHeader(std::string_view line) {
        if (line.back() != ']') return fail("a section header must end with ']'");
        const std::string name = lowercase(trim(line.substr(1, line.size() - 2)));
        for (const SectionName& known : kSections) {
            if (name != known.name) continue;
            auto [seen, added] = sectionLines_.emplace(name, lineNumber_);
            if (!added)
                return fail(cat("section [", name, "] given twice (first on line ",
                                num(seen->second), ")"));
            section_ = known.section;
            sectionName_ = name;
            return;
        }
        fail(cat("unknown section [", shown(name),
                 "]; known sections: [icons], [explorer], [browser], [menu]"));
    }

    // Every key but item may appear once per section.
    bool firstTime(const std::string& key) {
        auto [seen, added] = keyLines_.emplace(cat(sectionName_, ".", key), lineNumber_);
        if (!added)
            fail(cat("'", key, "' given twice in [", sectionName_, "] (first on line ",
                     num(seen->second), ")"));
        return added;
    }

    void unknownKey(const std::string& key, const char* known) {
        fail(cat("unknown key ", quoted(key), " in [", sectionName_, "]; known keys: ", known));
    }

    void parseKey(const std::string& key, std::string_view value) {
        const bool repeats = key == "item" || key == "open" ||
                             (section_ == Section::Icons && (key == "icon" || key == "hot-icon"));
        if (!repeats && !firstTime(key)) return;
        switch (section_) {
        case Section::Icons: return parseIconKey(key, value);
        case Section::Explorer: return parseFrameKey(settings_.explorer, key, value);
        case Section::Browser: return parseFrameKey(settings_.browser, key, value);
        case Section::Menu: return parseMenuKey(key, value);
        case Section::None: return;
        }
    }

    void parseIconKey(const std::string& key, std::string_view value) {
        if (key == "folder") {
            folderLine_ = lineNumber_;
            parsePath(value, settings_.iconFolder);
        } else if (key == "strip") {
            stripLine_ = lineNumber_;
            parsePath(value, settings_.strip);
        } else if (key == "hot-strip") {
            hotStripLine_ = lineNumber_;
            parsePath(value, settings_.hotStrip);
        } else if (key == "icon" || key == "hot-icon") {
            if (slotLine_ == 0) slotLine_ = lineNumber_;
            parseSlotIcon(value, key == "hot-icon");
        } else if (key == "large-size") {
            parseNumber(value, kMinIconSize, kMaxIconSize, settings_.largeSize);
        } else if (key == "small-size") {
            parseNumber(value, kMinIconSize, kMaxIconSize, settings_.smallSize);
        } else {
            unknownKey(key, "folder, strip, hot-strip, icon, hot-icon, large-size, small-size");
        }
    }

    void parseFrameKey(FrameOptions& options, const std::string& key, std::string_view value) {
        if (key == "hide-logo")
            parseBoolean(value, options.hideLogo);
        else if (key == "hide-menu")
            parseBoolean(value, options.hideMenu);
        else if (key == "hide-titles")
            parseBoolean(value, options.hideTitles);
        else if (key == "hide-dropdowns")
            parseBoolean(value, options.hideDropdowns);
        else
            unknownKey(key, "hide-logo, hide-menu, hide-titles, hide-dropdowns");
    }

    void parseMenuKey(const std::string& key, std::string_view value) {
        if (key == "title") {
            parseCaption(value, "title", settings_.menuTitle);
        } else if (key == "toggle") {
            toggleGiven_ = true;
            parseCaption(value, "toggle caption", settings_.toggleCaption);
        } else if (key == "item") {
            parseItem(value);
        } else if (key == "open") {
            parseOpen(value);
        } else {
            unknownKey(key, "title, item, open, toggle");
        }
    }

    void parsePath(std::string_view value, std::string& path) {
        if (value.empty()) return fail("the path is empty");
        path = resolvePath(baseFolder_, std::string(value));
    }

    void parseNumber(std::string_view value, int low, int high, int& number) {
        const std::string range = cat(num(low), "..", num(high));
        if (value.empty()) return fail(cat("a number ", range, " is missing"));
        if (value.size() > 9 || value.find_first_not_of("0123456789") != std::string_view::npos)
            return fail(cat(quoted(value), " is not a number ", range));
        int parsed = 0;
        for (char c : value)
            parsed = parsed * 10 + (c - '0');
        if (parsed < low || parsed > high)
            return fail(cat(num(parsed), " is out of range ", range));
        number = parsed;
    }

    void parseSlotIcon(std::string_view value, bool hot) {
        const std::size_t first = value.find(',');
        const std::size_t last = value.rfind(',');
        if (first == std::string_view::npos || last == first)
            return fail("an icon is 'slot, file, index'");
        SlotIcon icon;
        icon.hot = hot;
        parseNumber(trim(value.substr(0, first)), 0, kIconSlots - 1, icon.slot);
        if (!error_.empty()) return;
        std::string_view index = trim(value.substr(last + 1));
        const bool negative = !index.empty() && index.front() == '-';
        if (negative) index.remove_prefix(1);
        parseNumber(index, 0, kMaxIconIndex, icon.index);
        if (!error_.empty()) return;
        if (negative) icon.index = -icon.index;
        parsePath(trim(value.substr(first + 1, last - first - 1)), icon.file);
        if (!error_.empty()) return;
        for (const SlotIcon& other : settings_.slotIcons)
            if (other.slot == icon.slot && other.hot == hot)
                return fail(
                    cat(hot ? "hot icon" : "icon", " of slot ", num(icon.slot), " given twice"));
        settings_.slotIcons.push_back(icon);
    }

    void parseOpen(std::string_view value) {
        if (value.empty()) return fail("'open' names nothing");
        if (settings_.menuEntries.empty() || settings_.menuEntries.back().id == kSeparatorId)
            return fail("'open' must follow an item that is not a separator");
        MenuEntry& entry = settings_.menuEntries.back();
        if (!entry.open.empty()) return fail("the item already has an 'open'");
        entry.open = std::string(value);
    }

    void parseBoolean(std::string_view value, bool& flag) {
        const std::string word = lowercase(value);
        if (word == "yes" || word == "true" || word == "on" || word == "1")
            flag = true;
        else if (word == "no" || word == "false" || word == "off" || word == "0")
            flag = false;
        else
            fail(cat(quoted(value), " is not a boolean (use yes or no)"));
    }

    void parseCaption(std::string_view value, const char* what, std::string& caption) {
        if (value.empty()) return fail(cat("the ", what, " is empty"));
        if (value.size() > static_cast<std::size_t>(kCaptionMaxBytes))
            return fail(cat("the ", what, " is ", num(value.size()), " bytes long; at most ",
                            num(kCaptionMaxBytes), " fit"));
        caption = std::string(value);
    }

    void parseItem(std::string_view value) {
        if (settings_.menuEntries.size() >= static_cast<std::size_t>(kMenuEntries))
            return fail(cat("more than ", num(kMenuEntries), " items"));
        MenuEntry entry;
        if (lowercase(value) != "separator") {
            const std::size_t comma = value.find(',');
            if (comma == std::string_view::npos)
                return fail("an item is 'id, caption' or 'separator'");
            const std::string_view id = trim(value.substr(0, comma));
            parseNumber(id, kMinCommandId, kMaxCommandId, entry.id);
            if (!error_.empty()) return;
            if (entry.id == kReservedCommandId)
                return fail(cat("command id ", num(kReservedCommandId),
                                " is the library's own menu-bar item"));
            parseCaption(trim(value.substr(comma + 1)), "caption", entry.caption);
            if (!error_.empty()) return;
        }
        settings_.menuEntries.push_back(entry);
    }

    void finish() {
        if (folderLine_ != 0 && stripLine_ != 0)
            return fail(folderLine_ > stripLine_ ? folderLine_ : stripLine_,
                        "'folder' and 'strip' exclude each other");
        if (slotLine_ != 0 && (folderLine_ != 0 || stripLine_ != 0))
            return fail(std::max({folderLine_, stripLine_, slotLine_}),
                        "'icon' lines exclude 'folder' and 'strip'");
        if (hotStripLine_ != 0 && stripLine_ == 0)
            return fail(hotStripLine_, "'hot-strip' needs a 'strip'");
        if (folderLine_ != 0) settings_.iconSource = IconSource::Folder;
        if (stripLine_ != 0) settings_.iconSource = IconSource::Strip;
        if (slotLine_ != 0) settings_.iconSource = IconSource::Slots;
        const auto menu = sectionLines_.find("menu");
        if (menu != sectionLines_.end()) {
            if (settings_.menuTitle.empty()) return fail(menu->second, "[menu] needs a title");
            settings_.menuEnabled = true;
            if (!toggleGiven_) settings_.toggleCaption = "Menu bar";
        }
    }

    std::string_view text_;
    const std::string& fileName_;
    const std::string& baseFolder_;
    Settings settings_;
    std::string error_;
    int lineNumber_ = 0;
    Section section_ = Section::None;
    std::string sectionName_;
    std::map<std::string, int> sectionLines_;
    std::map<std::string, int> keyLines_;
    int folderLine_ = 0;
    int stripLine_ = 0;
    int hotStripLine_ = 0;
    int slotLine_ = 0; // the first icon or hot-icon
    bool toggleGiven_ = false;
};

} // namespace

SettingsResult parseSettings(std::string_view text, const std::string& fileName,
                             const std::string& baseFolder) {
    return Parser(text, fileName, baseFolder).run();
}

SettingsResult readSettingsFile(const std::string& path) {
    SettingsResult result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.error = cat(path, ": cannot open the settings file (", std::strerror(errno), ")");
        return result;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    bool failed = false;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
        if (text.size() > kMaxSettingsBytes) break; // the parser names the problem
    }
    failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        result.error = cat(path, ": cannot read the settings file");
        return result;
    }
    return parseSettings(text, path, folderOf(path));
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) return path.substr(0, slash + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return "";
}

std::string resolvePath(const std::string& folder, const std::string& path) {
    const bool absolute = (!path.empty() && (path[0] == '\\' || path[0] == '/')) ||
                          (path.size() >= 2 && path[1] == ':');
    if (absolute || folder.empty()) return path;
    return folder + path;
}

const MenuEntry* entryOf(const Settings& settings, int commandId) {
    for (const MenuEntry& entry : settings.menuEntries)
        if (entry.id == commandId) return &entry;
    return nullptr;
}

std::string captionOf(const Settings& settings, int commandId) {
    const MenuEntry* entry = entryOf(settings, commandId);
    return entry != nullptr ? entry->caption : "";
}

} // namespace tarvikctl
