// Byte-level checks of the shared block.
#include "shared_block_bytes.h"

#include <cstdio>
#include <cstring>

namespace menu_test {

ByteRange enabledField() {
    return {offsetof(SharedState, popupEnabled), sizeof(int)};
}
ByteRange countField() {
    return {offsetof(SharedState, popupItemCount), sizeof(int)};
}
ByteRange titleField() {
    return {offsetof(SharedState, popupTitle), kCaptionBytes};
}
ByteRange menuBarField() {
    return {offsetof(SharedState, menuBarItemText), kCaptionBytes};
}
ByteRange idSlot(int entry) {
    return {offsetof(SharedState, popupItemIds) + entry * sizeof(int), sizeof(int)};
}
ByteRange textSlot(int entry) {
    return {offsetof(SharedState, popupItemTexts) + entry * kCaptionBytes,
            static_cast<std::size_t>(kCaptionBytes)};
}

void fillBlock(SharedState& block, unsigned char pattern) {
    std::memset(static_cast<void*>(&block), pattern, sizeof block);
}

std::string changesOutside(const SharedState& before, const SharedState& after,
                           const std::vector<ByteRange>& allowed) {
    const auto* a = reinterpret_cast<const unsigned char*>(&before);
    const auto* b = reinterpret_cast<const unsigned char*>(&after);
    std::string report;
    int reported = 0;
    for (std::size_t i = 0; i < sizeof(SharedState); ++i) {
        if (a[i] == b[i]) continue;
        bool inside = false;
        for (const ByteRange& range : allowed)
            inside = inside || (i >= range.offset && i < range.offset + range.size);
        if (inside) continue;
        if (++reported <= 16) {
            char line[80];
            std::snprintf(line, sizeof line, "byte %zu: 0x%02X -> 0x%02X; ", i, a[i], b[i]);
            report += line;
        }
    }
    if (reported > 16) report += std::to_string(reported) + " bytes in all";
    return report;
}

std::string captionOf(const char (&field)[kCaptionBytes]) {
    const void* end = std::memchr(field, '\0', kCaptionBytes);
    if (end == nullptr) return "<unterminated>";
    return std::string(field, static_cast<const char*>(end) - field);
}

} // namespace menu_test
