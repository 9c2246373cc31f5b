// Between the soak driver and its controller process: one WM_COPYDATA per command,
// dwData naming it; the controller runs it on the thread that installed the hooks
// and answers in the message's result (a census comes back as WM_COPYDATA).
#pragma once

#include <windows.h>
#include <cstdint>
#include "gui_census.h"

namespace soak {

constexpr const char* kControllerClass = "TarvikSoakController";
constexpr int kSlots = 64;

enum class Command : ULONG_PTR {
    SetIcons = 1, // IconsCommand
    Apply,        // changeAllToolbar_EXPIE
    HideAll,      // showHideAll... (1, 1) for logo, menu, headers, arrows
    ShowAll,      // showHideAll... (0, 0)
    RestoreAll,   // restoreAll..., the toolbar last
    Census,       // CensusCommand; the answer: WM_COPYDATA with a GuiCensus
    Quit,         // uninstallHook_EXPIE, then the process ends
};

// The controller's four tables; handle values as the frames' process made them.
struct IconsCommand {
    std::uint64_t large[kSlots], largeHot[kSlots], small[kSlots], smallHot[kSlots];
    int largeSize, smallSize;
};

struct CensusCommand {
    std::uint64_t replyTo; // the driver's window
};

constexpr ULONG_PTR kCensusReply = 0x43454E53; // dwData of the census answer

} // namespace soak
