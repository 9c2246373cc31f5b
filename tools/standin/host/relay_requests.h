// Handler of the relay request (standin/relay_protocol.h).
#pragma once

#include "host.h"
#include "standin/relay_protocol.h"

namespace standin::host {

Status sendFromWindowThreadIn(Host& host, const wire::RelayBody& body, Reply& reply);

} // namespace standin::host
