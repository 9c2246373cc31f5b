#include "look.h"

#include <cstdio>

namespace soak {

namespace {

// Wine's rebar adds an undocumented fixed-header bit to a band whose header width was
// set; whether a band has it says nothing about the look.
constexpr UINT kFixedHeaderBit = 0x40000000;

std::string hex(UINT value) {
    char text[16];
    std::snprintf(text, sizeof text, "%#x", value);
    return text;
}

std::string listDiffers(const char* name, const standin::ImageListInfo& was,
                        const standin::ImageListInfo& now) {
    if (was.cx != now.cx || was.count != now.count)
        return std::string(name) + " list " + std::to_string(now.cx) + " px x " +
               std::to_string(now.count) + ", natively " + std::to_string(was.cx) + " px x " +
               std::to_string(was.count);
    for (int i = 0; i < was.described && i < now.described; ++i)
        if (was.centre[i] != now.centre[i])
            return std::string(name) + " image " + std::to_string(i) + " is " + hex(now.centre[i]) +
                   ", natively " + hex(was.centre[i]);
    return "";
}

std::string listApplied(const char* name, const standin::ImageListInfo& was,
                        const standin::ImageListInfo& now, const Applied& applied,
                        const std::vector<COLORREF>& colours) {
    if (now.cx != applied.size || now.cy != applied.size)
        return std::string(name) + " list at " + std::to_string(now.cx) + " px, configured " +
               std::to_string(applied.size);
    // Under Wine a foreign icon handle draws nothing: those slots add no image, and
    // only image 0 (a native one) is sure to be there.
    if (!applied.iconsDrawable) return now.count >= 1 ? "" : std::string(name) + " list empty";
    if (now.count != was.count)
        return std::string(name) + " list holds " + std::to_string(now.count) + " images, " +
               std::to_string(was.count) + " expected";
    for (int i = 1; i < now.described && i < static_cast<int>(colours.size()); ++i)
        if (now.centre[i] != colours[i])
            return std::string(name) + " image " + std::to_string(i) + " is " + hex(now.centre[i]) +
                   ", the controller's is " + hex(colours[i]);
    return "";
}

} // namespace

std::string differsFromNative(const Look& native, const Look& now) {
    if (native.bands.size() != now.bands.size()) return "band count";
    for (std::size_t i = 0; i < native.bands.size(); ++i)
        if ((native.bands[i].fStyle & ~kFixedHeaderBit) != (now.bands[i].fStyle & ~kFixedHeaderBit))
            return "band " + std::to_string(native.bands[i].wID) + " style " +
                   hex(now.bands[i].fStyle) + ", natively " + hex(native.bands[i].fStyle);
    if (native.buttons.size() != now.buttons.size()) return "button count";
    for (std::size_t i = 0; i < native.buttons.size(); ++i)
        if (native.buttons[i].fsStyle != now.buttons[i].fsStyle)
            return "button " + std::to_string(i) + " style " + hex(now.buttons[i].fsStyle) +
                   ", natively " + hex(native.buttons[i].fsStyle);
    std::string differs = listDiffers("normal", native.normal, now.normal);
    return differs.empty() ? listDiffers("hot", native.hot, now.hot) : differs;
}

std::string differsFromApplied(const Look& native, const Look& now, const Applied& applied) {
    for (const standin::BandRecord& band : now.bands) {
        const bool hidden = (band.fStyle & RBBS_HIDDEN) != 0;
        const bool titleHidden = (band.fStyle & RBBS_HIDETITLE) != 0;
        const std::string name = "band " + std::to_string(band.wID);
        if (band.wID == standin::kMenuBandId || band.wID == standin::kLogoBandId) {
            if (!hidden) return name + " shown";
        } else if (hidden) {
            return name + " hidden";
        }
        if ((band.wID == standin::kAddressBandId || band.wID == standin::kLinksBandId) &&
            !titleHidden)
            return name + " shows its title";
    }
    if (now.buttons.size() != native.buttons.size()) return "button count";
    for (std::size_t i = 0; i < now.buttons.size(); ++i)
        if (now.buttons[i].fsStyle & BTNS_DROPDOWN)
            return "button " + std::to_string(i) + " has an arrow";
    std::string differs =
        listApplied("normal", native.normal, now.normal, applied, *applied.normal);
    return differs.empty() ? listApplied("hot", native.hot, now.hot, applied, *applied.hot)
                           : differs;
}

} // namespace soak
