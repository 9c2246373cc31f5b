// Compares a recording with an expected message sequence. Each expected entry names
// its message and, where it matters, window, wParam, lParam and notification code;
// entries may be optional or repeated. A mismatch reports both sequences by name.
#pragma once

#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include "message_record.h"

namespace tarvik::test {

struct Expected {
    enum Field : unsigned { kWindow = 1, kWParam = 2, kLParam = 4, kCode = 8 };

    UINT message = 0;
    unsigned fields = 0; // which of the values below are compared
    HWND window = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT code = 0;
    bool optional = false; // may be absent
    bool repeated = false; // may come several times in a row

    Expected& on(HWND w) { return set(kWindow, window, w); }
    Expected& wparam(WPARAM value) { return set(kWParam, wParam, value); }
    Expected& lparam(LPARAM value) { return set(kLParam, lParam, value); }
    Expected& notify(UINT value) { return set(kCode, code, value); }
    Expected& maybe() {
        optional = true;
        return *this;
    }
    Expected& many() {
        repeated = true;
        return *this;
    }

    bool matches(const MessageRecord& record) const;

  private:
    template <class T>
    Expected& set(Field field, T& slot, T value) {
        slot = value;
        fields |= field;
        return *this;
    }
};

inline Expected msg(UINT message) {
    Expected entry;
    entry.message = message;
    return entry;
}

// A WM_NOTIFY with this code; the NMHDR code is compared as the UINT it is.
inline Expected notification(int code) {
    return msg(WM_NOTIFY).notify(static_cast<UINT>(code));
}

enum class MatchMode {
    Exact,   // every record must be accounted for by an expected entry
    InOrder, // the expected entries appear in this order; other records are ignored
};

// Names printed instead of handles in a report.
using WindowNames = std::vector<std::pair<HWND, std::string>>;

struct SequenceMatch {
    bool matched = false;
    std::string report; // both sequences, with the point where matching stopped
    explicit operator bool() const { return matched; }
};

SequenceMatch matchSequence(const std::vector<MessageRecord>& recorded,
                            const std::vector<Expected>& expected,
                            MatchMode mode = MatchMode::Exact, const WindowNames& names = {});

std::string describe(const MessageRecord& record, const WindowNames& names = {});
std::string describe(const Expected& entry, const WindowNames& names = {});

} // namespace tarvik::test
