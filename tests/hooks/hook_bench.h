// The bench of the end-to-end hook tests: this process is the controller (the
// real library DLL loaded here, its hooks installed with a notify window
// of ours, messages pumped on this thread) and the frames live in stand-in
// shell hosts, where Wine's hooks load the DLL. Helpers read the hosts' real
// control state, record what the hosts' windows receive, count the icons the
// DLL makes and destroys there, and hold a host thread while this process acts.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TarvikToolBar.h"
#include "icon_ledger.h"
#include "lane.h"
#include "library_under_test.h"
#include "private_messages.h"
#include "recorder.h"
#include "sequence.h"
#include "standin/client.h"
#include "standin/standin.h"
#include "state/identifiers.h"

namespace hooktest {

using standin::FrameClass;
using standin::FrameHandles;
using standin::RemoteShell;
using tarvik::test::Expected;
using tarvik::test::MessageRecord;
using tarvik::test::RecorderConfig;

constexpr int kSlots = TARVIK_ICON_SLOTS;
// Native images per list of the stand-in frames (the default).
constexpr int kImages = standin::kDefaultImageCount;
// A 1 ms timer of a loaded Wine ticks every 10 to 130 ms.
const DWORD kTickWaitMs = tarvik::test::laneWaitMs(1500);
// No tick in this long after the last: a re-application has settled.
constexpr DWORD kQuietMs = 500;
// How long a host window may take to show what this process did to it.
const DWORD kHostWaitMs = tarvik::test::laneWaitMs(2500);

// Frame options: on screen unless asked otherwise, large (24) or small (16) images.
standin::FrameOptions frameOptions(FrameClass frameClass, bool large = true, bool visible = true);

// Centre colour of the controller's icon for a slot: channels below 100, where every
// native colour has one of 150 or more; `set` tells two sets apart.
COLORREF controllerColour(int slot, bool hot, int set = 0);

// The controller's four tables as a host made them (icon handles are per process
// under Wine): every slot filled, normal and hot.
struct IconTables {
    std::vector<HICON> normal = std::vector<HICON>(kSlots, nullptr);
    std::vector<HICON> hot = std::vector<HICON>(kSlots, nullptr);
    std::string error; // empty when the host made them all
};
IconTables makeHostIcons(RemoteShell& host, int size, int set);

// Centre colours of images 0..count-1: the controller's set, or the native images.
std::vector<COLORREF> controllerColours(int count, bool hot, int set);
std::vector<COLORREF> nativeColours(int count, bool hot);

// A list's real contents read in its host: icon size and the centre of every image.
::testing::AssertionResult hostListHolds(RemoteShell& host, HWND toolbar, bool hot, int size,
                                         const std::vector<COLORREF>& centres);

// A rebar band as its host's rebar answers now (wID 0 when there is none).
standin::BandRecord hostBand(RemoteShell& host, HWND rebar, UINT id);
bool hostBandHidden(RemoteShell& host, HWND rebar, UINT id);
std::vector<BYTE> hostButtonStyles(RemoteShell& host, HWND toolbar);

// Records for one window, or of one message (and wParam, when given) to one window.
std::vector<MessageRecord> recordsFor(const std::vector<MessageRecord>& records, HWND window);
int countOf(const std::vector<MessageRecord>& records, HWND window, UINT message);
int countOf(const std::vector<MessageRecord>& records, HWND window, UINT message, WPARAM wParam);

// The library's private messages, by name in failure reports.
using tarvik::test::nameThePrivateMessages;
RecorderConfig privateMessagesOnly();
Expected privateMessage(HWND frame, UINT message, WPARAM wParam, LPARAM kind);

// Starts the icon ledger in a host on the DLL its hooks load; the host's counts.
std::string startHostLedger(RemoteShell& host);
standin::Remote<tarvik::test::IconLedgerCounts> hostLedger(RemoteShell& host);
// Nothing destroyed twice or that the library did not make, and every icon it made gone.
::testing::AssertionResult ledgerBalanced(const tarvik::test::IconLedgerCounts& counts);

// Sends from this thread as the library's broadcast does; false when no answer came.
bool sendToWindow(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                  LRESULT* result = nullptr);

// A dialog box ("#32770") of the host's process, or null.
HWND dialogOf(const RemoteShell& host);

// A window of this process that runs `whileHeld` when a host thread sends to it.
// hold() has the thread of `hostWindow` send to it and wait: the thread takes the
// messages this process sends it meanwhile, but no timer tick until the callback ends.
class HostThreadHold {
  public:
    HostThreadHold();
    ~HostThreadHold();
    HostThreadHold(const HostThreadHold&) = delete;
    HostThreadHold& operator=(const HostThreadHold&) = delete;
    // `whileHeld` must make no request to that host: its RemoteShell is busy waiting.
    // False (with the host's error in *error) when the relay did not run.
    bool hold(RemoteShell& host, HWND hostWindow, const std::function<void()>& whileHeld,
              std::string* error = nullptr);

  private:
    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    const std::function<void()>* callback_ = nullptr;
};

class HookBench : public ::testing::Test {
  protected:
    // Loads the DLL (its block from the loaded image) and makes the notify window.
    void SetUp() override;
    // Uninstalls if installed, then stops the hosts.
    void TearDown() override;

    // installHook_EXPIE(the DLL, the notify window), as a controller calls it.
    void install();
    // A new stand-in shell process with `threads` GUI threads.
    RemoteShell& startHost(int threads = 1);
    // A frame made on a GUI thread of the host; null handles after a failure.
    FrameHandles hostFrame(RemoteShell& host, const standin::FrameOptions& options, int thread = 0);
    // The host's taskbar, checked to be the one FindWindowA("Shell_TrayWnd") finds
    // (Wine's desktop process has a hidden one of its own).
    HWND hostTaskbar(RemoteShell& host);
    // A visible top-level window of this process: "another program" to take the foreground.
    HWND otherWindow();
    // Records what `windows` of the host receive, replacing the host's recording.
    ::testing::AssertionResult record(RemoteShell& host, const std::vector<HWND>& windows,
                                      const RecorderConfig& config);
    // The host's records so far; empty (and a failure) when the host does not answer.
    std::vector<MessageRecord> records(RemoteShell& host);
    // Pumps here until the host's records satisfy `done`, bounded.
    bool waitForRecords(RemoteShell& host,
                        const std::function<bool(const std::vector<MessageRecord>&)>& done,
                        DWORD timeoutMs = kTickWaitMs);

    LibraryUnderTest library;
    HWND notify = nullptr;
    std::vector<std::unique_ptr<RemoteShell>> hosts;
    bool installed = false;
    HWND other = nullptr;
};

} // namespace hooktest
