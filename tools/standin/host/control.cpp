// The host's control window: takes WM_COPYDATA requests, runs their handlers and
// sends the reply to the client's reply window while the client still waits.
#include "host.h"

#include <cstring>

namespace standin::host {

namespace {

using namespace wire;

Host* hostOf(HWND window) {
    return reinterpret_cast<Host*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool validHeader(const COPYDATASTRUCT* data, RequestHeader* header) {
    if (data == nullptr || data->lpData == nullptr || data->cbData < sizeof(RequestHeader))
        return false;
    std::memcpy(header, data->lpData, sizeof(RequestHeader));
    return header->magic == kMagic && data->cbData == sizeof(RequestHeader) + header->bodyBytes;
}

void sendReply(HWND control, const RequestHeader& request, const Reply& reply) {
    ReplyHeader header{};
    header.magic = kMagic;
    header.serial = request.serial;
    header.status = reply.status;
    header.bodyBytes = static_cast<std::uint32_t>(reply.body.size());
    std::strncpy(header.error, reply.error.c_str(), kErrorChars - 1);
    std::vector<unsigned char> bytes(sizeof(header) + reply.body.size());
    std::memcpy(bytes.data(), &header, sizeof(header));
    if (!reply.body.empty())
        std::memcpy(bytes.data() + sizeof(header), reply.body.data(), reply.body.size());
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(request.kind);
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.data();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(request.replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(control),
                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kReplyTimeoutMs, &ignored);
}

LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_COPYDATA) {
        Host* host = hostOf(window);
        RequestHeader header{};
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (host == nullptr || !validHeader(data, &header) || !IsWindow(header.replyTo))
            return FALSE;
        Reply reply;
        if (header.version != kVersion || header.pointerBytes != sizeof(void*)) {
            reply.fail(Status::BadRequest, "protocol version or pointer size differs");
        } else {
            Incoming incoming{&header,
                              static_cast<const unsigned char*>(data->lpData) + sizeof(header),
                              header.bodyBytes};
            handleRequest(*host, incoming, reply);
        }
        sendReply(window, header, reply);
        if (host->quitting) PostQuitMessage(0);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND createControlWindow(Host& host) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = controlProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kControlClass;
    RegisterClassExA(&wc);
    host.control = CreateWindowExA(0, kControlClass, host.name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, GetModuleHandleA(nullptr), &host);
    return host.control;
}

} // namespace standin::host
