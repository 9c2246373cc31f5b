// Shared by the control suites: stand-in frames that go away with the test, a
// recorder filter for the library's private messages, expected private messages,
// and readers of band and button state.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "TarvikToolBar.h"
#include "lane.h"
#include "message_names.h"
#include "private_messages.h"
#include "recorder.h"
#include "sequence.h"
#include "standin/standin.h"
#include "state/identifiers.h"
#include "state/shared_state.h"

namespace control_test {

// A 1 ms timer of a loaded Wine ticks every 10 to 130 ms.
const DWORD kTickWaitMs = tarvik::test::laneWaitMs(1500);
// No tick within this time after the last one: the re-application has settled.
constexpr DWORD kQuietMs = 500;

using tarvik::test::Expected;
using tarvik::test::MessageRecord;
using tarvik::test::RecorderConfig;

using tarvik::test::kPrivateMessages;
using tarvik::test::nameThePrivateMessages;

// The shared block outlives a test process whenever another process still maps the
// library (under Wine, a process that took a hook keeps the DLL), so a test that
// needs automatic re-application clears what a restore would have cleared.
inline void clearLeftoverSwitches(SharedState& shared) {
    shared.restoring = 0;
    shared.explorerIconsApplied = 0;
}

// Puts the block back as a test found it, so that its settings do not become the
// next test process's.
class SavedBlock {
  public:
    void take(SharedState* block) {
        where_ = block;
        if (block != nullptr) copy_ = *block;
    }
    void putBack() {
        if (where_ != nullptr) *where_ = copy_;
        where_ = nullptr;
    }

  private:
    SharedState* where_ = nullptr;
    SharedState copy_{};
};

// Records the library's private messages and nothing else.
inline RecorderConfig privateMessagesOnly() {
    nameThePrivateMessages();
    RecorderConfig config;
    for (UINT message : kPrivateMessages)
        config.recordOnly(message);
    return config;
}

// A private message to `frame` with its wParam and lParam (the frame kind).
inline Expected privateMessage(HWND frame, UINT message, WPARAM wParam, LPARAM kind) {
    return tarvik::test::msg(message).on(frame).wparam(wParam).lparam(kind);
}

inline std::vector<MessageRecord> recordsFor(const std::vector<MessageRecord>& records,
                                             HWND window) {
    std::vector<MessageRecord> mine;
    for (const MessageRecord& record : records)
        if (record.hwnd == window) mine.push_back(record);
    return mine;
}

inline std::vector<MessageRecord> withMessage(const std::vector<MessageRecord>& records,
                                              UINT message) {
    std::vector<MessageRecord> kept;
    for (const MessageRecord& record : records)
        if (record.message == message) kept.push_back(record);
    return kept;
}

// Hidden unless a test needs painting: under Xvfb without a window manager Wine waits
// two seconds for every visible top-level window it hides or destroys.
inline standin::FrameOptions frameOf(standin::FrameClass frameClass, bool visible = false) {
    standin::FrameOptions options;
    options.frameClass = frameClass;
    options.visible = visible;
    return options;
}

// A stand-in frame built on this thread, destroyed with the test.
class Frame {
  public:
    explicit Frame(const standin::FrameOptions& options) : h(standin::createFrame(options)) {}
    explicit Frame(standin::FrameClass frameClass) : Frame(frameOf(frameClass)) {}
    ~Frame() {
        if (IsWindow(h.frame)) DestroyWindow(h.frame);
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    const standin::FrameHandles* operator->() const { return &h; }
    standin::FrameHandles h;
};

// A top-level window of a class the library has no interest in.
class PlainWindow {
  public:
    PlainWindow()
        : window(CreateWindowExA(0, "STATIC", "plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    ~PlainWindow() {
        if (IsWindow(window)) DestroyWindow(window);
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    HWND window;
};

// The band with this id as the rebar has it now; wID 0 when there is none.
inline standin::BandRecord bandWithId(const std::vector<standin::BandRecord>& bands, UINT id) {
    for (const standin::BandRecord& band : bands)
        if (band.wID == id) return band;
    return standin::BandRecord{};
}

inline bool hidden(const standin::BandRecord& band) {
    return (band.fStyle & RBBS_HIDDEN) != 0;
}

inline std::vector<BYTE> stylesOf(const std::vector<standin::ButtonRecord>& buttons) {
    std::vector<BYTE> styles;
    for (const standin::ButtonRecord& button : buttons)
        styles.push_back(button.fsStyle);
    return styles;
}

inline std::vector<BYTE> stylesOf(HWND toolbar) {
    return stylesOf(standin::snapshotButtons(toolbar));
}

} // namespace control_test
