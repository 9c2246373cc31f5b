// What the band suites share: a frame that is destroyed with the test, reading and
// changing single bands by hand, a recorder setup for rebar traffic, text widths
// measured independently of the library, look-alike control classes, and timer
// waits that take WM_TIMER from the thread's own queue with GetMessage.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "lane.h"
#include "recorder.h"
#include "standin/standin.h"

namespace bands_test {

// The 2 s auto-hide tick: timers fire on time under Wine, a loaded or slower machine may
// take them late (by up to 1.5 s on a native lane, scaled for the others).
constexpr ULONGLONG kEarliestTickMs = 1900;
const ULONGLONG kLatestTickMs = 2000 + tarvik::test::laneWaitMs(750);
const DWORD kTickWaitMs = static_cast<DWORD>(kLatestTickMs) + 1000;

// A stand-in frame of this thread, destroyed when the test ends.
class Frame {
  public:
    explicit Frame(const standin::FrameOptions& options = standin::FrameOptions{});
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    const standin::FrameHandles* operator->() const { return &handles; }
    standin::FrameHandles handles;
};

// Frame options with a band letter pattern and, by default, no window shown.
standin::FrameOptions frameOptions(const char* bands = "MTALG", bool visible = false);

// One band as the rebar reports it, text included (up to 4095 characters).
struct Band {
    int index = -1;
    UINT wID = 0;
    UINT fStyle = 0;
    UINT cxHeader = 0;
    HWND hwndChild = nullptr;
    UINT cx = 0;
    UINT cxMinChild = 0;
    UINT cyMinChild = 0;
    UINT cxIdeal = 0;
    LPARAM lParam = 0;
    std::string text;
};

int indexOfBand(HWND rebar, UINT id);
Band readBand(HWND rebar, int index);
Band bandById(HWND rebar, UINT id);
bool bandHidden(HWND rebar, UINT id);

// Changes made by the test itself, before the code under test runs.
void showBandByHand(HWND rebar, UINT id, bool show);
void setBandStyle(HWND rebar, UINT id, UINT style);
void setBandHeader(HWND rebar, UINT id, UINT cxHeader);
void setBandText(HWND rebar, UINT id, const char* text);
void setBandId(HWND rebar, UINT id, UINT newId);
// Inserts a band at the end of a rebar; the rebar takes the child as its own.
void insertBand(HWND rebar, UINT id, HWND child, const char* text = nullptr);

// Records only the band messages a rebar can be sent (counts, reads, writes,
// inserts, visibility), so layout traffic of the frame does not get in the way.
tarvik::test::RecorderConfig rebarTraffic();
// The records of one message, in order.
std::vector<tarvik::test::MessageRecord>
recordsOf(const std::vector<tarvik::test::MessageRecord>& records, UINT message);

// Width and height of text on a screen DC in DEFAULT_GUI_FONT, measured here.
SIZE guiTextExtent(const char* text);

// A class that behaves as `base` but has another name.
const char* lookAlikeClass(const char* base, const char* name);
// A toolbar that the menu band could hold: control id 0 and no window text.
HWND createMenuLikeToolbar(HWND parent, const char* className = TOOLBARCLASSNAMEA, int id = 0);
// A rebar of the given class (ReBarWindow32 or a look-alike), child of parent.
HWND createRebar(HWND parent, const char* className = REBARCLASSNAMEA);

// Milliseconds on a steady clock.
ULONGLONG nowMs();

// WM_TIMER messages this thread takes from its queue with GetMessage.
struct Tick {
    HWND window;
    UINT_PTR id;
    ULONGLONG at; // nowMs() when it was taken
};

// Runs a GetMessage loop (dispatching everything) until a WM_TIMER with `id` for
// `window` is taken or `timeoutMs` passes; a thread timer bounds the wait. Every
// WM_TIMER taken on the way is appended to `seen` when given.
bool waitForTick(HWND window, UINT_PTR id, DWORD timeoutMs, Tick* tick,
                 std::vector<Tick>* seen = nullptr);

} // namespace bands_test
