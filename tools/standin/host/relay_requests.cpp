// The relay and the hold: both run on the host window's own thread.
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

Status sendThenHoldIn(Host& host, const wire::HoldBody& body, Reply& reply) {
    if (body.count < 0 || body.count > wire::kMaxHeldSends)
        return reply.fail(Status::BadRequest, "too many sends to hold after");
    const wire::HoldBody hold = body;
    const Status status = host.onWindowThread(hold.hostWindow, [hold] {
        for (int i = 0; i < hold.count; ++i)
            SendMessageW(hold.sends[i].window, hold.sends[i].message, hold.sends[i].wParam,
                         hold.sends[i].lParam);
        ReplyMessage(0); // the client goes on while this thread is held
        Sleep(hold.holdMs);
    });
    if (status == Status::NoSuchWindow)
        return reply.fail(status, "the hold's window is not a live window of the host");
    if (status != Status::Ok) return reply.fail(status, "the hold's thread did not answer");
    return Status::Ok;
}

} // namespace standin::host
