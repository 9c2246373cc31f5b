// Reading an --icon-handles file: icon handles made by the frames' process.
// Where icon handles are process-local (Wine), the controller cannot make
// icons a frame in another process can use, so that process makes them and
// lists their numbers here. Plain C++, no Win32.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings.h"

namespace tarvikctl {

// Handle values by slot; 0 is no icon.
struct IconHandles {
    std::array<std::uint64_t, kIconSlots> large{};
    std::array<std::uint64_t, kIconSlots> largeHot{};
    std::array<std::uint64_t, kIconSlots> small{};
    std::array<std::uint64_t, kIconSlots> smallHot{};
    int largeSize = 0; // 0: not given, the settings decide
    int smallSize = 0;
};

struct IconHandlesResult {
    bool ok = false;
    IconHandles handles;
    std::string error; // "<file>:<line>: <problem>"
};

// Parses the text of an --icon-handles file; `fileName` appears in messages.
// `maxHandle` is the largest value a handle may have on this build.
IconHandlesResult parseIconHandles(std::string_view text, const std::string& fileName,
                                   std::uint64_t maxHandle);

// Reads and parses an --icon-handles file.
IconHandlesResult readIconHandlesFile(const std::string& path, std::uint64_t maxHandle);

} // namespace tarvikctl
