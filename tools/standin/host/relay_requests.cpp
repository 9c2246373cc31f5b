// The relay: the send runs on the host window's own thread, which waits in it.
#include "relay_requests.h"

#include <memory>

namespace standin::host {

Status sendFromWindowThreadIn(Host& host, const wire::RelayBody& body, Reply& reply) {
    auto answer = std::make_shared<wire::RelayReply>();
    const wire::RelayBody relay = body;
    const Status status = host.onWindowThread(relay.hostWindow, [answer, relay] {
        DWORD_PTR result = 0;
        answer->answered = SendMessageTimeoutW(relay.target, relay.message, relay.wParam,
                                               relay.lParam, SMTO_NORMAL, relay.timeoutMs,
                                               &result) != 0;
        answer->result = static_cast<LRESULT>(result);
    });
    if (status == Status::NoSuchWindow)
        return reply.fail(status, "the relay's window is not a live window of the host");
    if (status != Status::Ok) return reply.fail(status, "the relay's thread did not answer");
    reply.put(*answer);
    return Status::Ok;
}

} // namespace standin::host
