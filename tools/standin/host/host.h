// The stand-in shell host: GUI threads that own the frames, the control window that
// takes requests, and the state the request handlers share.
#pragma once

#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "recorder.h"
#include "standin/protocol.h"

namespace standin::host {

using wire::Status;

// How long a request waits for a GUI thread; a thread in a modal loop still answers.
constexpr DWORD kThreadAnswerMs = 10000;
// How long the host waits for a client to take a reply.
constexpr DWORD kReplyTimeoutMs = 10000;
// How long shutdown waits for each GUI thread to leave its loop.
constexpr DWORD kThreadExitMs = 2000;

// A thread with a message loop and a message-only window that runs work for others.
class GuiThread {
  public:
    ~GuiThread();
    bool start();
    // Runs `work` on this thread and waits (bounded). On ThreadBusy the work may still
    // run later, so it must own (or share) everything it touches.
    Status run(std::function<void()> work, DWORD timeoutMs = kThreadAnswerMs);
    DWORD id() const { return id_; }
    void stop();

  private:
    static DWORD WINAPI main(void* self);
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    DWORD id_ = 0;
    HWND dispatch_ = nullptr;
};

struct Host {
    std::string name;
    HWND control = nullptr;
    HANDLE parent = nullptr; // the client's process: the host leaves when it ends
    bool quitting = false;
    bool demo = false;
    bool leakIcon = false; // --leak-icon: every CreateIcons request leaves one icon behind
    std::vector<std::unique_ptr<GuiThread>> threads;
    tarvik::test::MessageRecorder recorder;
    std::vector<HICON> icons; // made on request; destroyed on request or at exit
    std::vector<HWND> demoFrames;

    int startThread(); // index, or -1
    // A window of this process, alive.
    bool owns(HWND window) const;
    Status onThread(int index, std::function<void()> work);
    // Runs on the thread that owns `window` (checked to be the host's and alive).
    Status onWindowThread(HWND window, std::function<void()> work);
};

struct Reply {
    Status status = Status::Ok;
    std::string error;
    std::vector<unsigned char> body;

    void append(const void* data, std::size_t bytes) {
        const auto* p = static_cast<const unsigned char*>(data);
        body.insert(body.end(), p, p + bytes);
    }
    template <class T>
    void put(const T& value) {
        append(&value, sizeof(value));
    }
    Status fail(Status why, std::string text) {
        status = why;
        error = std::move(text);
        return why;
    }
};

// One request as received: header and the body bytes (not aligned: copy them out).
struct Incoming {
    const wire::RequestHeader* header;
    const unsigned char* body;
    std::uint32_t bodyBytes;
};

// Runs the handler for `incoming`; fills `reply`.
void handleRequest(Host& host, const Incoming& incoming, Reply& reply);

// Control window of the host: its class is wire::kControlClass, its title the name.
HWND createControlWindow(Host& host);

// The demo: an Explorer frame, an Internet Explorer frame and the taskbar.
bool startDemo(Host& host);

} // namespace standin::host
