// A rebar whose RBN_CHILDSIZE comes late. Microsoft documents only that the rebar
// sends it "when a band's child is resized" (RBN_CHILDSIZE notification code,
// commctrl.h); when, and how often, is not pinned. Wine's rebar sends it inside the
// call that changed the band. This one is the other extreme a Windows rebar may be:
// the notification is posted and then sent from the rebar's own thread, after the
// change (an RB_SETBANDINFO, say) has returned to its caller.
//
// A message-only relay becomes the rebar's notification parent (RB_SETPARENT): it
// passes every notification straight on, but queues RBN_CHILDSIZE and sends it on
// when its posted reminder arrives.
#include "late_rebar.h"

#include <commctrl.h>
#include <deque>

namespace standin::detail {

namespace {

constexpr wchar_t kRelayClass[] = L"TarvikStandinLateRebar";
constexpr UINT kSendLate = WM_APP + 0x51;
constexpr UINT_PTR kSubclassId = 0x7B4E;

struct Relay {
    HWND target; // the parent the rebar notified before
    std::deque<NMREBARCHILDSIZE> queued;
};

Relay* relayOf(HWND window) {
    return reinterpret_cast<Relay*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Relay* relay = relayOf(window);
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (relay == nullptr) break;
        if (header != nullptr && header->code == static_cast<UINT>(RBN_CHILDSIZE)) {
            relay->queued.push_back(*reinterpret_cast<const NMREBARCHILDSIZE*>(lParam));
            PostMessageW(window, kSendLate, 0, 0);
            return 0;
        }
        return SendMessageW(relay->target, message, wParam, lParam);
    }
    case WM_COMMAND:
        if (relay != nullptr) return SendMessageW(relay->target, message, wParam, lParam);
        break;
    case kSendLate:
        if (relay != nullptr && !relay->queued.empty()) {
            NMREBARCHILDSIZE late = relay->queued.front();
            relay->queued.pop_front();
            SendMessageW(relay->target, WM_NOTIFY, late.hdr.idFrom,
                         reinterpret_cast<LPARAM>(&late));
        }
        return 0;
    case WM_NCDESTROY:
        delete relay;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The relay goes with its rebar.
LRESULT CALLBACK rebarProc(HWND rebar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(rebar, rebarProc, kSubclassId);
        DestroyWindow(reinterpret_cast<HWND>(data));
    }
    return DefSubclassProc(rebar, message, wParam, lParam);
}

void registerRelay() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = relayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kRelayClass;
    RegisterClassExW(&wc); // fails harmlessly once registered
}

} // namespace

void reportChildSizeLate(HWND rebar) {
    if (rebar == nullptr) return;
    registerRelay();
    HWND relay = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (relay == nullptr) return;
    auto* state = new Relay{};
    SetWindowLongPtrW(relay, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->target = reinterpret_cast<HWND>(
        SendMessageW(rebar, RB_SETPARENT, reinterpret_cast<WPARAM>(relay), 0));
    if (state->target == nullptr) state->target = GetParent(rebar);
    SetWindowSubclass(rebar, rebarProc, kSubclassId, reinterpret_cast<DWORD_PTR>(relay));
}

} // namespace standin::detail
