// Handlers of the requests that hold a GUI thread (standin/relay_protocol.h).
#pragma once

#include "host.h"
#include "standin/relay_protocol.h"

namespace standin::host {

Status sendFromWindowThreadIn(Host& host, const wire::RelayBody& body, Reply& reply);
Status sendThenHoldIn(Host& host, const wire::HoldBody& body, Reply& reply);

} // namespace standin::host
