// Small readers shared by the upkeep and switch tests: band indexes, re-apply
// ticks and titles as a host's controls and recordings show them.
#pragma once

#include "hook_bench.h"

namespace hooktest {

inline int bandIndex(RemoteShell& host, HWND rebar, UINT id) {
    auto index = host.send(rebar, RB_IDTOINDEX, id);
    EXPECT_TRUE(index) << index.error;
    return index ? static_cast<int>(*index) : -1;
}

// The private messages and the frames' timer ticks.
inline RecorderConfig reapplyTraffic() {
    RecorderConfig config = privateMessagesOnly();
    config.recordOnly(WM_TIMER);
    return config;
}

inline int reapplyTicks(const std::vector<MessageRecord>& records, HWND frame) {
    return countOf(records, frame, WM_TIMER, TIMER_REAPPLY);
}

inline bool titleHidden(RemoteShell& host, HWND rebar) {
    return (hostBand(host, rebar, standin::kAddressBandId).fStyle & RBBS_HIDETITLE) != 0;
}

} // namespace hooktest
