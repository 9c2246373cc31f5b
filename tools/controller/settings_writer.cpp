// Writing the settings file: the reader's format, every key spelled out, so that
// a file written here reads back as the settings it was written from.
#include "settings.h"
#include "text.h"

#include <windows.h>

namespace tarvikctl {

namespace {

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

void frameSection(std::string& text, const char* name, const FrameOptions& options) {
    text += cat("\n[", name, "]\n");
    text += cat("hide-logo = ", yesNo(options.hideLogo), "\n");
    text += cat("hide-menu = ", yesNo(options.hideMenu), "\n");
    text += cat("hide-titles = ", yesNo(options.hideTitles), "\n");
    text += cat("hide-dropdowns = ", yesNo(options.hideDropdowns), "\n");
}

std::string systemError(const char* what, DWORD code) {
    return cat(what, " (error ", num(code), ")");
}

std::string writeWhole(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return systemError("cannot create", GetLastError());
    DWORD written = 0;
    std::string problem;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        problem = systemError("cannot write", GetLastError());
    else if (!FlushFileBuffers(file))
        problem = systemError("cannot flush", GetLastError());
    CloseHandle(file);
    if (!problem.empty()) DeleteFileA(path.c_str());
    return problem;
}

} // namespace

std::string formatSettings(const Settings& settings) {
    std::string text = "# TarvikToolBar settings (see tarvik.ini among the examples)\n";
    text += "\n[icons]\n";
    switch (settings.iconSource) {
    case IconSource::None: break;
    case IconSource::Folder: text += cat("folder = ", settings.iconFolder, "\n"); break;
    case IconSource::Strip:
        text += cat("strip = ", settings.strip, "\n");
        if (!settings.hotStrip.empty()) text += cat("hot-strip = ", settings.hotStrip, "\n");
        break;
    case IconSource::Slots:
        for (const SlotIcon& icon : settings.slotIcons)
            text += cat(icon.hot ? "hot-icon = " : "icon = ", num(icon.slot), ", ", icon.file, ", ",
                        num(icon.index), "\n");
        break;
    }
    text += cat("large-size = ", num(settings.largeSize), "\n");
    text += cat("small-size = ", num(settings.smallSize), "\n");
    frameSection(text, "explorer", settings.explorer);
    frameSection(text, "browser", settings.browser);
    if (settings.menuEnabled) {
        text += cat("\n[menu]\ntitle = ", settings.menuTitle, "\n");
        for (const MenuEntry& entry : settings.menuEntries) {
            if (entry.id == kSeparatorId) {
                text += "item = separator\n";
                continue;
            }
            text += cat("item = ", num(entry.id), ", ", entry.caption, "\n");
            if (!entry.open.empty()) text += cat("open = ", entry.open, "\n");
        }
        text += cat("toggle = ", settings.toggleCaption, "\n");
    }
    return text;
}

std::string saveSettingsFile(const std::string& path, const Settings& settings) {
    const std::string temporary = path + ".new";
    const std::string backup = path + ".bak";
    std::string problem = writeWhole(temporary, formatSettings(settings));
    if (!problem.empty()) return cat(temporary, ": ", problem);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) return "";
        problem = systemError("cannot move the new file in place", GetLastError());
    } else if (ReplaceFileA(path.c_str(), temporary.c_str(), backup.c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        return "";
    } else {
        problem = systemError("cannot replace the file", GetLastError());
    }
    DeleteFileA(temporary.c_str());
    return cat(path, ": ", problem);
}

} // namespace tarvikctl
