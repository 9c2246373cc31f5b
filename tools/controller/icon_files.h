// The icon tables handed to the library: made here from the settings' .ico
// folder or .bmp strip, or borrowed as handles another process made.
#pragma once

#include <windows.h>
#include <array>
#include <string>
#include <vector>
#include <cstdint>

#include "icon_handles.h"
#include "image_formats.h"
#include "settings.h"

namespace tarvikctl {

using IconTable = std::array<HICON, kIconSlots>;

// Four tables by slot; a null entry leaves the toolbar's own icon in place.
// Icons this program made are destroyed by release() or the destructor;
// borrowed ones are never destroyed here.
class IconSet {
  public:
    IconSet() = default;
    ~IconSet() { release(); }
    IconSet(const IconSet&) = delete;
    IconSet& operator=(const IconSet&) = delete;

    IconTable large{};
    IconTable largeHot{};
    IconTable small{};
    IconTable smallHot{};
    int largeSize = kDefaultLargeSize;
    int smallSize = kDefaultSmallSize;
    bool owned = false; // made by this program, so destroyed by it

    // Slots with at least one icon.
    int slotsInUse() const;
    // Destroys owned icons and empties every table.
    void release();
};

// Loads the icons the settings name, at both sizes. "" or the problem, naming the file.
std::string loadIconFiles(const Settings& settings, IconSet& icons);

// Takes handles read from an --icon-handles file; sizes from there if given,
// else from the settings.
void borrowIconHandles(const IconHandles& handles, const Settings& settings, IconSet& icons);

// Reads a whole file (at most `limit` bytes). "" or the reason it could not.
std::string readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                          std::size_t limit);

// A 32-bit icon with alpha made from an image; null on failure.
HICON makeIcon(const Image& image);

} // namespace tarvikctl
