// A host request that holds a GUI thread of the host: on the thread of a host
// window it sends one message to any window (one of the client's, typically)
// and waits for the answer. While it waits the thread takes sent messages but
// no posted ones and no timer ticks, so whatever the client does meanwhile
// (sending to the thread's windows included) is over before the thread's next
// timer tick.
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

static_assert(kAllPlain<RelayBody, RelayReply>);

} // namespace standin::wire
