// Plain records of what a window received, and the rules that say which records
// the recorder copies and which messages it skips. Everything here is POD so that
// a recording made in one process can be sent to another.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace tarvik::test {

// Room for the record an lParam points to: the largest default payload is the
// newest REBARBANDINFOA layout, 128 bytes in a 64-bit process.
constexpr std::uint32_t kPayloadBytes = 160;

// MessageRecord::flags: set once the window procedure has returned.
constexpr std::uint32_t kResultValid = 1;

struct MessageRecord {
    std::uint32_t index;    // position in the recording
    std::uint32_t threadId; // thread that ran the window procedure
    std::uint32_t depth;    // recorded procedures already running on that thread
    std::uint32_t flags;    // kResultValid once the procedure returned
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;  // what the window procedure returned, see flags
    UINT notifyCode; // NMHDR.code of a WM_NOTIFY, else 0
    UINT_PTR notifyId;
    HWND notifyFrom;
    std::uint32_t payloadBytes; // bytes of payload copied before the procedure ran
    unsigned char payload[kPayloadBytes];

    bool hasResult() const { return (flags & kResultValid) != 0; }

    // The payload as a T; bytes the recording did not hold read as zero.
    template <class T>
    T payloadAs() const {
        T value{};
        std::size_t bytes = sizeof(T) < payloadBytes ? sizeof(T) : payloadBytes;
        std::memcpy(&value, payload, bytes);
        return value;
    }
};

static_assert(std::is_trivially_copyable_v<MessageRecord>, "records cross processes as bytes");

// How many bytes of *lParam a payload rule copies.
enum class PayloadSize : std::uint32_t {
    Fixed,         // exactly `bytes`
    LeadingCbSize, // the record's own leading cbSize, at most `bytes` (0: no limit but ours)
    WParamCount,   // wParam elements of `bytes` each (TB_ADDBUTTONS and its kind)
};

struct PayloadRule {
    UINT message;
    PayloadSize size;
    std::uint32_t bytes;
};

constexpr int kMaxFilterMessages = 32;
constexpr int kMaxPayloadRules = 16;

// What a recorder keeps. Plain data so a test can hand it to another process.
struct RecorderConfig {
    // Skip paint, hit-test, cursor and text-query traffic (see isNoiseMessage).
    bool skipNoise = true;
    // Copy the records of the default payload messages (see defaultPayloadRules).
    bool defaultPayloads = true;
    std::uint32_t skipCount = 0;
    UINT skip[kMaxFilterMessages] = {};
    // When non-zero, only these messages are recorded (noise and skip still apply).
    std::uint32_t onlyCount = 0;
    UINT only[kMaxFilterMessages] = {};
    // WM_NOTIFY codes never recorded; NM_CUSTOMDRAW is added when skipNoise is set.
    std::uint32_t skipNotifyCount = 0;
    UINT skipNotify[kMaxFilterMessages] = {};
    // Extra payload rules; they win over the defaults for the same message.
    std::uint32_t ruleCount = 0;
    PayloadRule rules[kMaxPayloadRules] = {};

    RecorderConfig& skipMessage(UINT message) {
        if (skipCount < kMaxFilterMessages) skip[skipCount++] = message;
        return *this;
    }
    RecorderConfig& recordOnly(UINT message) {
        if (onlyCount < kMaxFilterMessages) only[onlyCount++] = message;
        return *this;
    }
    RecorderConfig& skipNotification(UINT code) {
        if (skipNotifyCount < kMaxFilterMessages) skipNotify[skipNotifyCount++] = code;
        return *this;
    }
    RecorderConfig& copyPayload(UINT message, PayloadSize size, std::uint32_t bytes) {
        if (ruleCount < kMaxPayloadRules) rules[ruleCount++] = PayloadRule{message, size, bytes};
        return *this;
    }
};

static_assert(std::is_trivially_copyable_v<RecorderConfig>, "configurations cross processes");

// WM_PAINT, WM_NCHITTEST, WM_SETCURSOR, mouse moves, WM_CTLCOLOR*, WM_GETTEXT...
bool isNoiseMessage(UINT message);

// TB_SETMETRICS/TB_GETMETRICS, RB_SETBANDINFOA/RB_GETBANDINFOA/RB_INSERTBANDA,
// TB_SETBUTTONINFOA/TB_GETBUTTONINFOA, TB_GETIDEALSIZE, TB_ADDBUTTONSA/TB_INSERTBUTTONA.
const PayloadRule* defaultPayloadRules(std::size_t* count);

} // namespace tarvik::test
