// Parsing --icon-handles files.
//
// Text, one statement a line, words separated by spaces or tabs; '#' starts a
// comment line:
//
//   large-size 24                    optional: the size the large icons were made at
//   small-size 16                    optional: the same for the small ones
//   icon 0 0x1a2b 0x1a2c 0x1a2d 0    slot 0..63, then the large, large hot, small
//                                    and small hot handle; decimal or 0x hex, 0: none
//
// Each slot and each size is given at most once; at least one icon line.
#include "icon_handles.h"
#include "text.h"

#include <cstdio>
#include <cstring>
#include <cerrno>
#include <map>
#include <vector>

namespace tarvikctl {

namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024;

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        if (at > start) result.push_back(line.substr(start, at - start));
    }
    return result;
}

// Decimal or 0x hex, no larger than `most`.
bool parseValue(std::string_view word, std::uint64_t most, std::uint64_t& value) {
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty()) return false;
    value = 0;
    for (char c : word) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || static_cast<std::uint64_t>(digit) > most) return false;
        if (value > (most - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return false;
        value = value * base + digit;
    }
    return true;
}

constexpr std::size_t kShownBytes = 40;

// A name or value for a message: quoted, cut short if long.
std::string quoted(std::string_view text) {
    std::string result("'");
    result.append(text.substr(0, kShownBytes));
    if (text.size() > kShownBytes) result.append("...");
    result.append("'");
    return result;
}

} // namespace

IconHandlesResult parseIconHandles(std::string_view text, const std::string& fileName,
                                   std::uint64_t maxHandle) {
    IconHandlesResult result;
    int lineNumber = 0;
    auto fail = [&](const std::string& problem) {
        result.ok = false;
        result.error = cat(fileName, ":", num(lineNumber), ": ", problem);
        return result;
    };
    if (text.size() > kMaxFileBytes) {
        result.error = cat(fileName, ": larger than 64 KiB; not an icon handle file");
        return result;
    }
    std::map<std::uint64_t, int> slotLines;
    bool largeSizeGiven = false, smallSizeGiven = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        for (unsigned char c : line)
            if ((c < 0x20 && c != '\t') || c == 0x7F) return fail("control character");
        const std::vector<std::string_view> w = words(line);
        if (w.empty() || w[0].front() == '#') continue;
        if (w[0] == "large-size" || w[0] == "small-size") {
            bool& given = w[0] == "large-size" ? largeSizeGiven : smallSizeGiven;
            int& size = w[0] == "large-size" ? result.handles.largeSize : result.handles.smallSize;
            std::uint64_t value = 0;
            if (w.size() != 2) return fail(cat(w[0], " takes one number"));
            if (!parseValue(w[1], kMaxIconSize, value) || value < kMinIconSize)
                return fail(cat(quoted(w[1]), " is not a size 1..256"));
            if (given) return fail(cat(w[0], " given twice"));
            given = true;
            size = static_cast<int>(value);
        } else if (w[0] == "icon") {
            if (w.size() != 6)
                return fail("expected 'icon <slot> <large> <large-hot> <small> <small-hot>'");
            std::uint64_t slot = 0;
            if (!parseValue(w[1], kIconSlots - 1, slot))
                return fail(cat(quoted(w[1]), " is not a slot 0..63"));
            auto [seen, added] = slotLines.emplace(slot, lineNumber);
            if (!added)
                return fail(cat("slot ", num(slot), " given twice (first on line ",
                                num(seen->second), ")"));
            std::array<std::uint64_t, kIconSlots>* tables[] = {
                &result.handles.large, &result.handles.largeHot, &result.handles.small,
                &result.handles.smallHot};
            for (int i = 0; i < 4; ++i)
                if (!parseValue(w[2 + i], maxHandle, (*tables[i])[slot]))
                    return fail(cat(quoted(w[2 + i]), " is not a handle value"));
        } else {
            return fail(
                cat("unknown statement ", quoted(w[0]), "; known: icon, large-size, small-size"));
        }
    }
    if (slotLines.empty()) {
        result.error = cat(fileName, ": no icon lines");
        return result;
    }
    result.ok = true;
    return result;
}

IconHandlesResult readIconHandlesFile(const std::string& path, std::uint64_t maxHandle) {
    IconHandlesResult result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.error = cat(path, ": cannot open the icon handle file (", std::strerror(errno), ")");
        return result;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= kMaxFileBytes)
        text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        result.error = cat(path, ": cannot read the icon handle file");
        return result;
    }
    return parseIconHandles(text, path, maxHandle);
}

} // namespace tarvikctl
