// Handlers of the icon ledger requests (standin/ledger_protocol.h).
#pragma once

#include "host.h"
#include "standin/ledger_protocol.h"

namespace standin::host {

Status installIconLedgerIn(Host& host, const wire::LedgerBody& body, Reply& reply);
Status iconLedgerCountsIn(Host& host, Reply& reply);

} // namespace standin::host
