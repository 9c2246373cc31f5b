// RemoteShell: process start and stop, the request/reply exchange, and the typed
// wrappers over the protocol.
#include "standin/client.h"

#include <cstdio>
#include <mutex>
#include "lane.h"
#include "process_start.h"
#include "pump.h"

namespace standin {

namespace {

using namespace wire;

constexpr char kReplyClass[] = "TarvikStandinReply";
constexpr char kExecutable[] = "standin_shell.exe";
// How long a killed host's end may take.
constexpr DWORD kKillWaitMs = 5000;

LRESULT CALLBACK replyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* shell = reinterpret_cast<RemoteShell*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (shell != nullptr) shell->takeReply(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string besideThisProgram(const char* file) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    std::size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return dir + file;
}

std::string uniqueName() {
    static LONG counter = 0;
    char name[96];
    std::snprintf(name, sizeof(name), "standin-%lu-%ld-%llu", GetCurrentProcessId(),
                  InterlockedIncrement(&counter), GetTickCount64());
    return name;
}

const char* statusName(Status status) {
    switch (status) {
    case Status::Ok: return "ok";
    case Status::UnknownRequest: return "unknown request";
    case Status::BadRequest: return "bad request";
    case Status::NoSuchWindow: return "no such window";
    case Status::NoSuchThread: return "no such thread";
    case Status::ThreadBusy: return "thread busy";
    case Status::Failed: return "failed";
    }
    return "?";
}

// Waits for the first of two handles while pumping; -1 on time-out.
int waitEither(HANDLE first, HANDLE second, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HANDLE handles[] = {first, second};
    for (;;) {
        tarvik::test::pumpPending();
        ULONGLONG now = GetTickCount64();
        DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        DWORD woke =
            MsgWaitForMultipleObjectsEx(2, handles, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1)
            return static_cast<int>(woke - WAIT_OBJECT_0);
        if (woke == WAIT_TIMEOUT || woke == WAIT_FAILED) return -1;
    }
}

} // namespace

RemoteShell::RemoteShell() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = replyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kReplyClass;
        RegisterClassExA(&wc);
    });
    replyWindow_ = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(replyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RemoteShell::~RemoteShell() {
    stop();
    if (replyWindow_ != nullptr) DestroyWindow(replyWindow_);
}

bool RemoteShell::running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool RemoteShell::start(const HostOptions& options) {
    stop();
    error_.clear();
    requestTimeoutMs_ = tarvik::test::laneWaitMs(options.requestTimeoutMs);
    std::string executable =
        options.executable.empty() ? besideThisProgram(kExecutable) : options.executable;
    std::string name = uniqueName();
    std::string readyName = std::string(kReadyEventPrefix) + name;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    std::string command = "\"" + executable + "\" --name " + name + " --threads " +
                          std::to_string(options.threads) + " --parent " +
                          std::to_string(GetCurrentProcessId());
    if (!options.arguments.empty()) command += " " + options.arguments;
    tarvik::test::ProcessStart startWith;
    startWith.application = executable.c_str();
    startWith.commandLine = command;
    PROCESS_INFORMATION info{};
    if (!tarvik::test::startProcess(startWith, info, error_)) {
        CloseHandle(ready);
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    int woke = waitEither(ready, process_, tarvik::test::laneWaitMs(options.startTimeoutMs));
    CloseHandle(ready);
    if (woke != 0) {
        error_ = woke == 1 ? "the host exited during start-up" : "the host did not start in time";
        stop(0);
        return false;
    }
    control_ = FindWindowExA(HWND_MESSAGE, nullptr, kControlClass, name.c_str());
    if (control_ == nullptr) {
        error_ = "the host's control window was not found";
        stop(0);
        return false;
    }
    Remote<HostPing> answer = ping();
    if (!answer || answer->processId != processId_) {
        error_ = answer ? "the control window belongs to another process" : answer.error;
        stop(0);
        return false;
    }
    return true;
}

bool RemoteShell::stop(DWORD timeoutMs) {
    if (process_ == nullptr) return true;
    bool clean = true;
    if (running() && control_ != nullptr && timeoutMs > 0) callRaw(Request::Quit, nullptr, 0);
    if (!tarvik::test::pumpUntilSignalled(process_, timeoutMs)) {
        TerminateProcess(process_, kKilledHostExitCode);
        WaitForSingleObject(process_, kKillWaitMs);
        clean = false;
    }
    CloseHandle(process_);
    process_ = nullptr;
    processId_ = 0;
    control_ = nullptr;
    return clean;
}

void RemoteShell::takeReply(const COPYDATASTRUCT* data) {
    if (data == nullptr || data->lpData == nullptr || data->cbData < sizeof(ReplyHeader)) return;
    ReplyHeader header;
    std::memcpy(&header, data->lpData, sizeof(header));
    if (header.magic != kMagic || header.serial != serial_ ||
        data->cbData != sizeof(header) + header.bodyBytes)
        return;
    header.error[kErrorChars - 1] = '\0';
    replied_ = true;
    replyStatus_ = header.status;
    replyError_ = header.error;
    const auto* body = static_cast<const unsigned char*>(data->lpData) + sizeof(header);
    replyBody_.assign(body, body + header.bodyBytes);
}

Remote<std::vector<unsigned char>> RemoteShell::callRaw(Request kind, const void* body,
                                                        std::uint32_t bytes) {
    Remote<std::vector<unsigned char>> result;
    if (control_ == nullptr || !IsWindow(control_)) {
        result.error = "no host is running";
        return result;
    }
    RequestHeader header{};
    header.magic = kMagic;
    header.version = kVersion;
    header.pointerBytes = sizeof(void*);
    header.kind = kind;
    header.serial = ++serial_;
    header.replyTo = replyWindow_;
    header.bodyBytes = bytes;
    std::vector<unsigned char> message(sizeof(header) + bytes);
    std::memcpy(message.data(), &header, sizeof(header));
    if (bytes != 0) std::memcpy(message.data() + sizeof(header), body, bytes);
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(kind);
    data.cbData = static_cast<DWORD>(message.size());
    data.lpData = message.data();
    replied_ = false;
    replyBody_.clear();
    DWORD_PTR accepted = 0;
    // SMTO_NORMAL: the reply, a message sent to replyWindow_, is taken while we wait.
    LRESULT sent = SendMessageTimeoutA(
        control_, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow_),
        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, requestTimeoutMs_, &accepted);
    if (sent == 0) {
        result.error = running() ? "the host did not answer in time" : "the host is gone";
        return result;
    }
    if (!replied_) {
        result.error = "the host sent no reply";
        return result;
    }
    if (replyStatus_ != Status::Ok) {
        result.error = std::string(statusName(replyStatus_)) + ": " + replyError_;
        return result;
    }
    result.value = std::move(replyBody_);
    return result;
}

Remote<HostPing> RemoteShell::ping() {
    Remote<PingReply> raw = call<PingReply>(Request::Ping);
    Remote<HostPing> result;
    result.error = raw.error;
    if (raw && raw->pointerBytes != sizeof(void*))
        result.error = "the host has another pointer size";
    result.value = HostPing{raw->processId, raw->threads};
    return result;
}

Remote<ThreadReply> RemoteShell::startThread() {
    return call<ThreadReply>(Request::StartThread);
}

Remote<FrameHandles> RemoteShell::createFrame(const FrameOptions& options, int thread) {
    CreateFrameBody body{};
    body.thread = thread;
    body.options = options;
    return call<FrameHandles>(Request::CreateFrame, body);
}

Remote<bool> RemoteShell::showWindow(HWND window, int command) {
    Remote<ShowReply> raw = call<ShowReply>(Request::ShowWindow, ShowBody{window, command});
    Remote<bool> result;
    result.error = raw.error;
    result.value = raw->wasVisible != FALSE;
    return result;
}

Remote<Done> RemoteShell::postClose(HWND window) {
    return call<Done>(Request::PostClose, WindowBody{window});
}

Remote<Done> RemoteShell::destroyFrame(HWND frame) {
    return call<Done>(Request::DestroyFrame, WindowBody{frame});
}

Remote<HWND> RemoteShell::createShape(const ShapePlan& plan, int thread) {
    Remote<WindowBody> raw = call<WindowBody>(Request::CreateShape, ShapeBody{thread, plan});
    Remote<HWND> result;
    result.error = raw.error;
    result.value = raw.value.window;
    return result;
}

Remote<std::string> RemoteShell::shapeLook(HWND frame) {
    const WindowBody body{frame};
    auto raw = callRaw(Request::ShapeLook, &body, sizeof body);
    Remote<std::string> result;
    result.error = raw.error;
    result.value.assign(raw.value.begin(), raw.value.end());
    return result;
}

Remote<int> RemoteShell::armShapeChaos(bool armed) {
    Remote<ChaosReply> raw = call<ChaosReply>(Request::ShapeChaos, ChaosBody{armed ? TRUE : FALSE});
    Remote<int> result;
    result.error = raw.error;
    result.value = raw.value.acts;
    return result;
}

Remote<HWND> RemoteShell::createTaskbar(int thread, bool announce) {
    Remote<WindowBody> raw =
        call<WindowBody>(Request::CreateTaskbar, TaskbarBody{thread, announce ? TRUE : FALSE});
    Remote<HWND> result;
    result.error = raw.error;
    result.value = raw->window;
    return result;
}

Remote<Done> RemoteShell::destroyTaskbar(HWND taskbar) {
    return call<Done>(Request::DestroyTaskbar, WindowBody{taskbar});
}

Remote<std::vector<BandRecord>> RemoteShell::bands(HWND rebar) {
    Remote<BandsReply> raw = call<BandsReply>(Request::SnapshotBands, WindowBody{rebar});
    Remote<std::vector<BandRecord>> result;
    result.error = raw.error;
    if (raw) result.value.assign(raw->bands, raw->bands + raw->count);
    return result;
}

Remote<std::vector<ButtonRecord>> RemoteShell::buttons(HWND toolbar) {
    Remote<ButtonsReply> raw = call<ButtonsReply>(Request::SnapshotButtons, WindowBody{toolbar});
    Remote<std::vector<ButtonRecord>> result;
    result.error = raw.error;
    if (raw) result.value.assign(raw->buttons, raw->buttons + raw->count);
    return result;
}

Remote<ImageListInfo> RemoteShell::imageList(HWND toolbar, bool hot) {
    return call<ImageListInfo>(Request::DescribeImageList, ImageListBody{toolbar, hot});
}

Remote<std::vector<HICON>> RemoteShell::createIcons(int size,
                                                    const std::vector<COLORREF>& colours) {
    Remote<std::vector<HICON>> result;
    if (colours.size() > static_cast<std::size_t>(kMaxIcons)) {
        result.error = "at most " + std::to_string(kMaxIcons) + " icons per request";
        return result;
    }
    IconsBody body{};
    body.count = static_cast<int>(colours.size());
    body.size = size;
    std::copy(colours.begin(), colours.end(), body.colours);
    Remote<IconsReply> raw = call<IconsReply>(Request::CreateIcons, body);
    result.error = raw.error;
    if (raw) result.value.assign(raw->icons, raw->icons + raw->count);
    return result;
}

Remote<Done> RemoteShell::destroyIcons(const std::vector<HICON>& icons) {
    if (icons.size() > static_cast<std::size_t>(kMaxIcons))
        return Remote<Done>{{}, "at most " + std::to_string(kMaxIcons) + " icons per request"};
    IconsReply body{};
    body.count = static_cast<int>(icons.size());
    std::copy(icons.begin(), icons.end(), body.icons);
    return call<Done>(Request::DestroyIcons, body);
}

Remote<IconDescription> RemoteShell::describeIcon(HICON icon) {
    Remote<IconReply> raw = call<IconReply>(Request::DescribeIcon, IconBody{icon});
    Remote<IconDescription> result;
    result.error = raw.error;
    result.value = IconDescription{raw->valid != FALSE, raw->width, raw->height, raw->centre};
    return result;
}

Remote<SectionBytes> RemoteShell::readSection(const std::string& path, std::uint32_t offset,
                                              std::uint32_t length, const char* section) {
    Remote<SectionBytes> result;
    if (path.size() >= MAX_PATH) {
        result.error = "path too long";
        return result;
    }
    SectionBody body{};
    path.copy(body.path, MAX_PATH - 1);
    std::strncpy(body.section, section, kSectionNameChars);
    body.offset = offset;
    body.length = length;
    Remote<std::vector<unsigned char>> raw = callRaw(Request::ReadSection, &body, sizeof(body));
    result.error = raw.error;
    if (!raw) return result;
    SectionReply header{};
    if (raw->size() < sizeof(header)) {
        result.error = "short section reply";
        return result;
    }
    std::memcpy(&header, raw->data(), sizeof(header));
    if (raw->size() != sizeof(header) + header.length) {
        result.error = "section reply size does not match its header";
        return result;
    }
    result.value.module = header.module;
    result.value.sectionSize = header.sectionSize;
    result.value.bytes.assign(raw->begin() + sizeof(header), raw->end());
    return result;
}

Remote<int> RemoteShell::startRecording(const std::vector<HWND>& windows,
                                        const tarvik::test::RecorderConfig& config) {
    Remote<int> result;
    if (windows.size() > static_cast<std::size_t>(kMaxRecordedWindows)) {
        result.error = "at most " + std::to_string(kMaxRecordedWindows) + " windows";
        return result;
    }
    RecordBody body{};
    body.count = static_cast<int>(windows.size());
    std::copy(windows.begin(), windows.end(), body.windows);
    body.config = config;
    Remote<RecordReply> raw = call<RecordReply>(Request::StartRecording, body);
    result.error = raw.error;
    result.value = raw->attached;
    return result;
}

Remote<Done> RemoteShell::stopRecording() {
    return call<Done>(Request::StopRecording);
}

Remote<std::vector<tarvik::test::MessageRecord>> RemoteShell::records() {
    using tarvik::test::MessageRecord;
    Remote<std::vector<MessageRecord>> result;
    for (;;) {
        FetchBody body{static_cast<std::uint32_t>(result.value.size())};
        Remote<std::vector<unsigned char>> raw =
            callRaw(Request::FetchRecords, &body, sizeof(body));
        if (!raw) {
            result.error = raw.error;
            return result;
        }
        FetchReply header{};
        if (raw->size() < sizeof(header)) {
            result.error = "short record reply";
            return result;
        }
        std::memcpy(&header, raw->data(), sizeof(header));
        if (raw->size() != sizeof(header) + header.count * sizeof(MessageRecord)) {
            result.error = "record reply size does not match its header";
            return result;
        }
        const unsigned char* at = raw->data() + sizeof(header);
        for (std::uint32_t i = 0; i < header.count; ++i, at += sizeof(MessageRecord)) {
            MessageRecord record;
            std::memcpy(&record, at, sizeof(record));
            result.value.push_back(record);
        }
        if (header.count == 0 || result.value.size() >= header.total) return result;
    }
}

Remote<LRESULT> RemoteShell::send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Remote<MessageReply> raw =
        call<MessageReply>(Request::SendToWindow, MessageBody{window, message, wParam, lParam});
    Remote<LRESULT> result;
    result.error = raw.error;
    result.value = raw->result;
    return result;
}

Remote<Done> RemoteShell::post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return call<Done>(Request::PostToWindow, MessageBody{window, message, wParam, lParam});
}

Remote<Done> RemoteShell::foreground(HWND window) {
    return call<Done>(Request::Foreground, WindowBody{window});
}

std::string readFrameLook(RemoteShell& host, const FrameHandles& frame, FrameLook& look) {
    auto bands = host.bands(frame.rebar);
    auto buttons = host.buttons(frame.mainToolbar);
    auto normal = host.imageList(frame.mainToolbar, false);
    auto hot = host.imageList(frame.mainToolbar, true);
    for (const std::string* error : {&bands.error, &buttons.error, &normal.error, &hot.error})
        if (!error->empty()) return *error;
    look = {*bands, *buttons, *normal, *hot};
    return "";
}

} // namespace standin
