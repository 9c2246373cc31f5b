// RemoteShell: starts standin_shell.exe (found beside the running program), sends
// it typed requests over WM_COPYDATA and returns the answers. Use it from one thread:
// the replies arrive as messages sent to a window of the thread that created it.
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>
#include "message_record.h"
#include "standin/protocol.h"

namespace standin {

// A reply, or the reason there is none.
template <class T>
struct Remote {
    T value{};
    std::string error; // empty on success
    explicit operator bool() const { return error.empty(); }
    T& operator*() { return value; }
    const T& operator*() const { return value; }
    T* operator->() { return &value; }
    const T* operator->() const { return &value; }
};

struct Done {}; // a request that answers nothing but success

// Exit code of a host that stop() had to kill.
constexpr UINT kKilledHostExitCode = 0xDEAD;

struct HostOptions {
    int threads = 1; // GUI threads started with the host
    DWORD startTimeoutMs = 15000;
    DWORD requestTimeoutMs = 30000; // longer than the host's own waits
    std::string executable;         // empty: standin_shell.exe beside this program
    std::string arguments;          // more of the host's options, e.g. "--leak-icon"
};

struct HostPing {
    DWORD processId;
    int threads;
};

struct SectionBytes {
    HMODULE module; // where the host mapped the module
    std::uint32_t sectionSize;
    std::vector<unsigned char> bytes;
};

struct IconDescription {
    bool valid;
    int width, height;
    COLORREF centre;
};

class RemoteShell {
  public:
    RemoteShell();
    ~RemoteShell();
    RemoteShell(const RemoteShell&) = delete;
    RemoteShell& operator=(const RemoteShell&) = delete;

    // Starts the host and waits for its control window; false with lastError() set.
    bool start(const HostOptions& options = HostOptions{});
    // Asks the host to quit, waits, kills it if it lingers (at once for 0 ms). True when it
    // ended by itself.
    bool stop(DWORD timeoutMs = 5000);
    bool running() const;
    DWORD processId() const { return processId_; }
    HANDLE process() const { return process_; }
    HWND controlWindow() const { return control_; }
    const std::string& lastError() const { return error_; }

    Remote<HostPing> ping();
    Remote<wire::ThreadReply> startThread();
    Remote<FrameHandles> createFrame(const FrameOptions& options = FrameOptions{}, int thread = 0);
    Remote<bool> showWindow(HWND window, int command); // what ShowWindow returned
    Remote<Done> postClose(HWND window);
    Remote<Done> destroyFrame(HWND frame);
    // `announce`: the new taskbar broadcasts "TaskbarCreated" (see taskbar.h).
    Remote<HWND> createTaskbar(int thread = 0, bool announce = false);
    Remote<Done> destroyTaskbar(HWND taskbar);
    Remote<std::vector<BandRecord>> bands(HWND rebar);
    Remote<std::vector<ButtonRecord>> buttons(HWND toolbar);
    Remote<ImageListInfo> imageList(HWND toolbar, bool hot);
    // Icons valid in the host only (Wine keeps icon handles per process).
    Remote<std::vector<HICON>> createIcons(int size, const std::vector<COLORREF>& colours);
    Remote<Done> destroyIcons(const std::vector<HICON>& icons);
    Remote<IconDescription> describeIcon(HICON icon);
    // LoadLibraryA(path) in the host, then bytes [offset, offset + length) of the
    // named section as the host maps it.
    Remote<SectionBytes> readSection(const std::string& path, std::uint32_t offset,
                                     std::uint32_t length, const char* section = "shared");
    Remote<int> startRecording(const std::vector<HWND>& windows,
                               const tarvik::test::RecorderConfig& config = {});
    Remote<Done> stopRecording();
    Remote<std::vector<tarvik::test::MessageRecord>> records();
    // SendMessage on the window's own thread in the host; no pointer parameters.
    Remote<LRESULT> send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    Remote<Done> post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    Remote<Done> foreground(HWND window);
    // Shapes (shapes.h): made on a GUI thread of the host, their look, chaos armed or not.
    Remote<HWND> createShape(const ShapePlan& plan, int thread = 0);
    Remote<std::string> shapeLook(HWND frame);
    Remote<int> armShapeChaos(bool armed);

    // Any request: its body bytes in, the reply body bytes out.
    Remote<std::vector<unsigned char>> callRaw(wire::Request kind, const void* body,
                                               std::uint32_t bytes);
    // A request with a plain body and a plain reply of fixed size.
    template <class Reply, class Body>
    Remote<Reply> call(wire::Request kind, const Body& body) {
        static_assert(std::is_trivially_copyable_v<Body> && std::is_trivially_copyable_v<Reply>);
        return unpack<Reply>(callRaw(kind, &body, sizeof(Body)));
    }
    template <class Reply>
    Remote<Reply> call(wire::Request kind) {
        return unpack<Reply>(callRaw(kind, nullptr, 0));
    }

    // Called by the reply window procedure.
    void takeReply(const COPYDATASTRUCT* data);

  private:
    template <class Reply>
    static Remote<Reply> unpack(const Remote<std::vector<unsigned char>>& raw) {
        Remote<Reply> result;
        result.error = raw.error;
        if (!raw) return result;
        if (raw.value.size() < sizeof(Reply)) {
            result.error = "reply of " + std::to_string(raw.value.size()) + " bytes, expected " +
                           std::to_string(sizeof(Reply));
            return result;
        }
        std::memcpy(static_cast<void*>(&result.value), raw.value.data(), sizeof(Reply));
        return result;
    }

    HWND replyWindow_ = nullptr;
    HWND control_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD requestTimeoutMs_ = 30000;
    std::uint32_t serial_ = 0;
    bool replied_ = false;
    wire::Status replyStatus_ = wire::Status::Ok;
    std::string replyError_;
    std::vector<unsigned char> replyBody_;
    std::string error_;
};

template <>
inline Remote<Done> RemoteShell::unpack<Done>(const Remote<std::vector<unsigned char>>& raw) {
    Remote<Done> result;
    result.error = raw.error;
    return result;
}

// What a frame's rebar and main toolbar show, read from the host that owns it.
struct FrameLook {
    std::vector<BandRecord> bands;
    std::vector<ButtonRecord> buttons;
    ImageListInfo normal{}, hot{};
};

// "" or the request that failed.
std::string readFrameLook(RemoteShell& host, const FrameHandles& frame, FrameLook& look);

} // namespace standin
