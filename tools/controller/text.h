// Building messages from pieces: one buffer, appended in order.
#pragma once

#include <string>
#include <string_view>

namespace tarvikctl {

// The pieces (strings, string views, literals) one after another. Used for
// every message: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string
// temporaries, which insert at the front.
template <typename... Pieces>
std::string cat(const Pieces&... pieces) {
    std::string result;
    result.reserve((std::string_view(pieces).size() + ...));
    (result.append(std::string_view(pieces)), ...);
    return result;
}

// A number as text, for cat().
inline std::string num(long long value) {
    return std::to_string(value);
}

} // namespace tarvikctl
