// Host requests that count, inside the host, the icons a module loaded there
// makes and destroys (see icon_ledger.h): the hook library's own calls, as Wine
// offers no per-process count of icons.
#pragma once

#include <windows.h>
#include "icon_ledger.h"
#include "standin/protocol.h"

namespace standin::wire {

// InstallIconLedger: LedgerBody -> LedgerReply. LoadLibraryA(path) in the host (the
// module stays loaded, so the hooks reuse it), then its imports are patched.
struct LedgerBody {
    char path[MAX_PATH];
};
struct LedgerReply {
    HMODULE module;
};

// IconLedgerCounts: - -> tarvik::test::IconLedgerCounts

static_assert(kAllPlain<LedgerBody, LedgerReply, tarvik::test::IconLedgerCounts>);

} // namespace standin::wire
