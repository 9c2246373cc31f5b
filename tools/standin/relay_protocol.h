// Host requests that hold a GUI thread of the host. The relay: on the thread of a
// host window it sends one message to any window (one of the client's, typically)
// and waits for the answer. While it waits the thread takes sent messages but
// no posted ones and no timer ticks, so whatever the client does meanwhile
// (sending to the thread's windows included) is over before the thread's next
// timer tick. The hold: the thread takes nothing at all for a while.
#pragma once

#include <windows.h>
#include "standin/protocol.h"

namespace standin::wire {

// SendFromWindowThread: RelayBody -> RelayReply
struct RelayBody {
    HWND hostWindow; // a window of the host: its thread sends
    HWND target;     // any window
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD timeoutMs; // SendMessageTimeout's wait
};
struct RelayReply {
    BOOL answered; // the target answered in time
    LRESULT result;
};

// SendThenHold: HoldBody -> -. On the thread of `hostWindow`: sends each message, lets
// the client go on, then takes nothing at all (sent, posted or timer) for holdMs, as
// a GUI thread busy with work of its own.
constexpr int kMaxHeldSends = 8;
struct HoldBody {
    HWND hostWindow;
    DWORD holdMs;
    int count;
    MessageBody sends[kMaxHeldSends];
};

static_assert(kAllPlain<RelayBody, RelayReply, HoldBody>);

} // namespace standin::wire
