// The icon ledger inside the host: the module is loaded here first, so the hooks
// that Wine loads into this process later find the same, already patched, image.
#include "icon_ledger_requests.h"

#include <cstring>

namespace standin::host {

Status installIconLedgerIn(Host&, const wire::LedgerBody& body, Reply& reply) {
    char path[MAX_PATH];
    std::memcpy(path, body.path, sizeof(path));
    path[MAX_PATH - 1] = '\0';
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return reply.fail(Status::Failed, std::string("LoadLibraryA failed for ") + path);
    std::string error;
    if (!tarvik::test::installIconLedger(module, &error)) return reply.fail(Status::Failed, error);
    reply.put(wire::LedgerReply{module});
    return Status::Ok;
}

Status iconLedgerCountsIn(Host&, Reply& reply) {
    reply.put(tarvik::test::iconLedgerCounts());
    return Status::Ok;
}

} // namespace standin::host
