// Making icons from the settings' files. Every file is read and checked here
// before a system loader sees it, so a damaged file is an error message and
// never a fault inside the loader.
#include "icon_files.h"
#include "text.h"

#include <cstdio>

namespace tarvikctl {

namespace {

// An icon file or strip larger than this is not one.
constexpr std::size_t kMaxImageFileBytes = 16 * 1024 * 1024;

std::string systemMessage(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (message.empty()) message = cat("system error ", num(code));
    return message;
}

std::string slotFileName(const std::string& folder, const char* prefix, int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02d.ico", prefix, slot);
    const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return folder + (separated ? "" : "\\") + name;
}

// Loads one slot file at both sizes; "" also when the file does not exist.
std::string loadSlotFile(const std::string& path, int largeSize, int smallSize, HICON& large,
                         HICON& small) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return "";
        return cat(path, ": ", systemMessage(code));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return cat(path, ": a folder, not an icon file");
    std::vector<std::uint8_t> bytes;
    std::string problem = readFileBytes(path, bytes, kMaxImageFileBytes);
    if (problem.empty()) problem = checkIconFile(bytes);
    if (!problem.empty()) return cat(path, ": ", problem);
    large = static_cast<HICON>(
        LoadImageA(nullptr, path.c_str(), IMAGE_ICON, largeSize, largeSize, LR_LOADFROMFILE));
    small = static_cast<HICON>(
        LoadImageA(nullptr, path.c_str(), IMAGE_ICON, smallSize, smallSize, LR_LOADFROMFILE));
    if (large == nullptr || small == nullptr)
        return cat(path, ": the system could not make an icon of it (",
                   systemMessage(GetLastError()), ")");
    return "";
}

std::string loadFolder(const Settings& settings, IconSet& icons) {
    const std::string& folder = settings.iconFolder;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return cat(folder, ": icon folder not found (", systemMessage(GetLastError()), ")");
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return cat(folder, ": not a folder");
    for (int slot = 0; slot < kIconSlots; ++slot) {
        std::string problem =
            loadSlotFile(slotFileName(folder, "", slot), settings.largeSize, settings.smallSize,
                         icons.large[slot], icons.small[slot]);
        if (problem.empty())
            problem = loadSlotFile(slotFileName(folder, "hot-", slot), settings.largeSize,
                                   settings.smallSize, icons.largeHot[slot], icons.smallHot[slot]);
        if (!problem.empty()) return problem;
    }
    if (icons.slotsInUse() == 0)
        return cat(folder, ": no icon files in it (00.ico .. 63.ico, hot-00.ico .. hot-63.ico)");
    return "";
}

std::string readStrip(const std::string& path, Image& image) {
    std::vector<std::uint8_t> bytes;
    std::string problem = readFileBytes(path, bytes, kMaxImageFileBytes);
    if (!problem.empty()) return cat(path, ": ", problem);
    ImageResult decoded = decodeBmp(bytes);
    if (!decoded.ok) return cat(path, ": ", decoded.error);
    image = std::move(decoded.image);
    const std::string size = cat(num(image.width), " x ", num(image.height));
    if (image.width % image.height != 0) return cat(path, ": ", size, " is not a row of squares");
    if (image.width / image.height > kIconSlots)
        return cat(path, ": ", num(image.width / image.height), " images; at most ",
                   num(kIconSlots), " fit");
    return "";
}

std::string makeStripIcons(const std::string& path, const Image& strip, int largeSize,
                           int smallSize, IconTable& large, IconTable& small) {
    for (int i = 0; i < strip.width / strip.height; ++i) {
        large[i] = makeIcon(stripImage(strip, i, largeSize));
        small[i] = makeIcon(stripImage(strip, i, smallSize));
        if (large[i] == nullptr || small[i] == nullptr)
            return cat(path, ": the system could not make icon ", num(i), " (",
                       systemMessage(GetLastError()), ")");
    }
    return "";
}

std::string loadStrips(const Settings& settings, IconSet& icons) {
    Image strip, hotStrip;
    std::string problem = readStrip(settings.strip, strip);
    if (problem.empty() && !settings.hotStrip.empty()) {
        problem = readStrip(settings.hotStrip, hotStrip);
        if (problem.empty() && (hotStrip.width != strip.width || hotStrip.height != strip.height))
            problem = cat(settings.hotStrip, ": ", num(hotStrip.width), " x ", num(hotStrip.height),
                          " differs from the strip's ", num(strip.width), " x ", num(strip.height));
    }
    if (problem.empty())
        problem = makeStripIcons(settings.strip, strip, settings.largeSize, settings.smallSize,
                                 icons.large, icons.small);
    if (problem.empty() && !settings.hotStrip.empty())
        problem = makeStripIcons(settings.hotStrip, hotStrip, settings.largeSize,
                                 settings.smallSize, icons.largeHot, icons.smallHot);
    return problem;
}

bool hasIconExtension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".ico";
}

// One icon of a .ico, .dll or .exe at one size; an .ico is checked before the loader sees it.
std::string extractSlotIcon(const SlotIcon& slot, int size, HICON& icon) {
    std::vector<std::uint8_t> bytes;
    std::string problem = readFileBytes(slot.file, bytes, kMaxImageFileBytes);
    if (problem.empty() && hasIconExtension(slot.file)) problem = checkIconFile(bytes);
    if (!problem.empty()) return cat(slot.file, ": ", problem);
    UINT id = 0;
    const UINT got =
        PrivateExtractIconsA(slot.file.c_str(), slot.index, size, size, &icon, &id, 1, 0);
    if (got == 0 || got == 0xFFFFFFFF || icon == nullptr) {
        icon = nullptr;
        return cat(slot.file, ": holds no icon ", num(slot.index));
    }
    return "";
}

std::string loadSlots(const Settings& settings, IconSet& icons) {
    for (const SlotIcon& slot : settings.slotIcons) {
        if (slot.slot < 0 || slot.slot >= kIconSlots) return cat("no slot ", num(slot.slot));
        HICON& large = slot.hot ? icons.largeHot[slot.slot] : icons.large[slot.slot];
        HICON& small = slot.hot ? icons.smallHot[slot.slot] : icons.small[slot.slot];
        std::string problem = extractSlotIcon(slot, settings.largeSize, large);
        if (problem.empty()) problem = extractSlotIcon(slot, settings.smallSize, small);
        if (!problem.empty()) return problem;
    }
    return "";
}

} // namespace

int IconSet::slotsInUse() const {
    int used = 0;
    for (int slot = 0; slot < kIconSlots; ++slot)
        if (large[slot] || largeHot[slot] || small[slot] || smallHot[slot]) ++used;
    return used;
}

void IconSet::release() {
    for (IconTable* table : {&large, &largeHot, &small, &smallHot}) {
        for (HICON& icon : *table) {
            if (owned && icon != nullptr) DestroyIcon(icon);
            icon = nullptr;
        }
    }
    owned = false;
}

std::string loadIconFiles(const Settings& settings, IconSet& icons) {
    icons.release();
    icons.owned = true;
    icons.largeSize = settings.largeSize;
    icons.smallSize = settings.smallSize;
    std::string problem;
    if (settings.iconSource == IconSource::Folder)
        problem = loadFolder(settings, icons);
    else if (settings.iconSource == IconSource::Strip)
        problem = loadStrips(settings, icons);
    else if (settings.iconSource == IconSource::Slots)
        problem = loadSlots(settings, icons);
    if (!problem.empty()) icons.release();
    return problem;
}

void borrowIconHandles(const IconHandles& handles, const Settings& settings, IconSet& icons) {
    icons.release();
    icons.owned = false;
    icons.largeSize = handles.largeSize != 0 ? handles.largeSize : settings.largeSize;
    icons.smallSize = handles.smallSize != 0 ? handles.smallSize : settings.smallSize;
    auto handle = [](std::uint64_t value) {
        return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(value));
    };
    for (int slot = 0; slot < kIconSlots; ++slot) {
        icons.large[slot] = handle(handles.large[slot]);
        icons.largeHot[slot] = handle(handles.largeHot[slot]);
        icons.small[slot] = handle(handles.small[slot]);
        icons.smallHot[slot] = handle(handles.smallHot[slot]);
    }
}

std::string readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                          std::size_t limit) {
    constexpr DWORD kChunk = 64 * 1024;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return cat("cannot open (", systemMessage(GetLastError()), ")");
    const std::string tooLarge = cat("larger than ", num(limit / (1024 * 1024)), " MiB");
    bytes.clear();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) > limit) {
        CloseHandle(file);
        return tooLarge;
    }
    // To the end rather than by the size announced: a pipe or a device announces none.
    std::string problem;
    for (;;) {
        const std::size_t have = bytes.size();
        if (have > limit) {
            problem = tooLarge;
            break;
        }
        bytes.resize(have + kChunk);
        DWORD got = 0;
        const bool read = ReadFile(file, bytes.data() + have, kChunk, &got, nullptr) != FALSE;
        const DWORD code = GetLastError();
        bytes.resize(have + got);
        // A pipe ends when its writer closes it.
        if (!read && code != ERROR_BROKEN_PIPE && code != ERROR_HANDLE_EOF)
            problem = cat("cannot read (", systemMessage(code), ")");
        if (!read || got == 0) break;
    }
    CloseHandle(file);
    return problem;
}

HICON makeIcon(const Image& image) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = image.width;
    header.bV5Height = -image.height; // top-down, as the image is stored
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (colour == nullptr || bits == nullptr) {
        if (colour != nullptr) DeleteObject(colour);
        return nullptr;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    // The mask: one bit a pixel, rows padded to 16 bits; set where transparent.
    const int maskStride = (image.width + 15) / 16 * 2;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride) * image.height, 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            pixels[static_cast<std::size_t>(y) * image.width + x] = pixel;
            if ((pixel >> 24) == 0)
                mask[static_cast<std::size_t>(y) * maskStride + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    HBITMAP maskBitmap = CreateBitmap(image.width, image.height, 1, 1, mask.data());
    HICON icon = nullptr;
    if (maskBitmap != nullptr) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = colour;
        info.hbmMask = maskBitmap;
        icon = CreateIconIndirect(&info);
        DeleteObject(maskBitmap);
    }
    DeleteObject(colour);
    return icon;
}

} // namespace tarvikctl
