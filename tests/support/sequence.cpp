// The sequence matcher: a reachability table over (records consumed, expected
// entries consumed), so optional and repeated entries need no backtracking, and
// the furthest state reached tells where a failing sequence went astray.
#include "sequence.h"

#include <cinttypes>
#include <cstdio>
#include "message_names.h"

namespace tarvik::test {

bool Expected::matches(const MessageRecord& record) const {
    if (record.message != message) return false;
    if ((fields & kWindow) && record.hwnd != window) return false;
    if ((fields & kWParam) && record.wParam != wParam) return false;
    if ((fields & kLParam) && record.lParam != lParam) return false;
    if ((fields & kCode) && record.notifyCode != code) return false;
    return true;
}

namespace {

std::string windowName(HWND window, const WindowNames& names) {
    for (const auto& [handle, name] : names)
        if (handle == window) return name;
    char text[32];
    std::snprintf(text, sizeof(text), "%p", static_cast<void*>(window));
    return text;
}

std::string number(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%" PRIX64, value);
    return text;
}

} // namespace

std::string describe(const MessageRecord& record, const WindowNames& names) {
    std::string text = messageName(record.message, record.hwnd);
    if (record.message == WM_NOTIFY) text.append(" ").append(notifyName(record.notifyCode));
    text.append(" to ").append(windowName(record.hwnd, names));
    text.append(" wParam=").append(number(record.wParam));
    text.append(" lParam=").append(number(static_cast<std::uint64_t>(record.lParam)));
    if (record.depth != 0)
        text.append(" (nested ").append(std::to_string(record.depth)).append(")");
    return text;
}

std::string describe(const Expected& entry, const WindowNames& names) {
    HWND window = (entry.fields & Expected::kWindow) ? entry.window : nullptr;
    std::string text = messageName(entry.message, window);
    if (entry.fields & Expected::kCode) text.append(" ").append(notifyName(entry.code));
    if (entry.fields & Expected::kWindow)
        text.append(" to ").append(windowName(entry.window, names));
    if (entry.fields & Expected::kWParam) text.append(" wParam=").append(number(entry.wParam));
    if (entry.fields & Expected::kLParam)
        text.append(" lParam=").append(number(static_cast<std::uint64_t>(entry.lParam)));
    if (entry.optional) text.append(" [optional]");
    if (entry.repeated) text.append(" [repeated]");
    return text;
}

SequenceMatch matchSequence(const std::vector<MessageRecord>& recorded,
                            const std::vector<Expected>& expected, MatchMode mode,
                            const WindowNames& names) {
    const std::size_t records = recorded.size();
    const std::size_t entries = expected.size();
    // reach[i][j]: the first i records can be accounted for by the first j entries.
    std::vector<std::vector<char>> reach(records + 1, std::vector<char>(entries + 1, 0));
    reach[0][0] = 1;
    for (std::size_t i = 0; i <= records; ++i) {
        for (std::size_t j = 0; j <= entries; ++j) {
            if (!reach[i][j]) continue;
            if (j < entries && expected[j].optional) reach[i][j + 1] = 1;
            if (i == records) continue;
            const MessageRecord& record = recorded[i];
            if (j < entries && expected[j].matches(record)) reach[i + 1][j + 1] = 1;
            if (j > 0 && expected[j - 1].repeated && expected[j - 1].matches(record))
                reach[i + 1][j] = 1;
            if (mode == MatchMode::InOrder) reach[i + 1][j] = 1;
        }
    }

    SequenceMatch result;
    result.matched = reach[records][entries] != 0;
    if (result.matched) return result;

    // The furthest point: most expected entries, then most records.
    std::size_t stopRecord = 0;
    std::size_t stopEntry = 0;
    for (std::size_t i = 0; i <= records; ++i)
        for (std::size_t j = 0; j <= entries; ++j)
            if (reach[i][j] && (j > stopEntry || (j == stopEntry && i > stopRecord))) {
                stopEntry = j;
                stopRecord = i;
            }
    if (mode == MatchMode::InOrder) {
        // Every record could be skipped; point at the first record after the last match.
        for (std::size_t i = 0; i <= records; ++i)
            if (reach[i][stopEntry]) {
                stopRecord = i;
                break;
            }
    }

    std::string& out = result.report;
    out.append("message sequence differs (")
        .append(mode == MatchMode::Exact ? "exact" : "in order")
        .append("): ")
        .append(std::to_string(stopEntry))
        .append(" of ")
        .append(std::to_string(entries))
        .append(" expected entries matched");
    out.append(stopEntry == entries ? ", then unexpected record #" : ", stopped before record #")
        .append(std::to_string(stopRecord));
    out.append("\nexpected:\n");
    for (std::size_t j = 0; j < entries; ++j)
        out.append(j == stopEntry ? " >> " : "    ")
            .append(std::to_string(j))
            .append("  ")
            .append(describe(expected[j], names))
            .append("\n");
    if (entries == 0) out.append("    (nothing)\n");
    out.append("recorded:\n");
    for (std::size_t i = 0; i < records; ++i)
        out.append(i == stopRecord ? " >> " : "    ")
            .append(std::to_string(i))
            .append("  ")
            .append(describe(recorded[i], names))
            .append("\n");
    if (records == 0) out.append("    (nothing)\n");
    return result;
}

} // namespace tarvik::test
