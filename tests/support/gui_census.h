// What a process holds of GDI, USER and kernel objects, counted by the process itself.
// GetGuiResources is asked first; where it answers 0 (Wine), the objects are counted
// by probing the handle values this process can see.
#pragma once

#include <windows.h>
#include <cstdint>

namespace tarvik::test {

struct GuiCensus {
    std::uint32_t gdiReported;  // GetGuiResources(GR_GDIOBJECTS)
    std::uint32_t userReported; // GetGuiResources(GR_USEROBJECTS)
    std::uint32_t gdiProbed;    // live GDI handles of this process, probed
    std::uint32_t windows;      // windows of this process, message-only ones included
    std::uint32_t menus;
    std::uint32_t icons;        // icons and cursors
    std::uint32_t handles;      // GetProcessHandleCount, or probed where it answers 0
    std::uint64_t privateBytes; // PrivateUsage, or PagefileUsage where that is not filled
};

// The GDI count: reported, or probed when nothing is reported.
inline std::uint32_t gdiObjects(const GuiCensus& c) {
    return c.gdiReported != 0 ? c.gdiReported : c.gdiProbed;
}
// The USER count: reported, or windows + menus + icons when nothing is reported.
inline std::uint32_t userObjects(const GuiCensus& c) {
    return c.userReported != 0 ? c.userReported : c.windows + c.menus + c.icons;
}

GuiCensus takeGuiCensus();

} // namespace tarvik::test
