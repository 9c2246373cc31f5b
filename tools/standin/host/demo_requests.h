// Handlers of the demo's host requests (standin/demo_protocol.h).
#pragma once

#include "host.h"
#include "standin/demo_protocol.h"

namespace standin::host {

Status captureWindowIn(Host& host, const wire::CaptureBody& body, Reply& reply);
Status loadIconFilesIn(Host& host, const wire::IconFilesBody& body, Reply& reply);

} // namespace standin::host
