// Request handlers of the host and the table that maps each request to one. Work
// on windows runs on the thread that owns them; results travel back through
// shared state so a late run after a time-out touches nothing that is gone.
#include "host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include "foreground.h"
#include "gui_census.h"
#include "demo_requests.h"
#include "icon_ledger_requests.h"
#include "relay_requests.h"
#include "standin/frame.h"
#include "standin/images.h"
#include "standin/pe_sections.h"
#include "standin/shapes.h"
#include "standin/snapshots.h"
#include "standin/taskbar.h"

namespace standin::host {

namespace {

using namespace wire;

// Foreground attempts made for a request are bounded by this.
constexpr DWORD kForegroundMs = 3000;

std::string windowText(HWND window) {
    char text[48];
    std::snprintf(text, sizeof(text), "window %p", static_cast<void*>(window));
    return text;
}

Status explain(Reply& reply, Status status, HWND window) {
    switch (status) {
    case Status::Ok: return status;
    case Status::NoSuchWindow:
        return reply.fail(status, windowText(window) + " is not a live window of the host");
    case Status::NoSuchThread:
        return reply.fail(status, windowText(window) + " belongs to no GUI thread of the host");
    case Status::ThreadBusy:
        return reply.fail(status, "the thread of " + windowText(window) + " did not answer");
    default: return reply.fail(status, "request failed");
    }
}

Status explainThread(Reply& reply, Status status, int thread) {
    if (status == Status::NoSuchThread)
        return reply.fail(status, "no GUI thread " + std::to_string(thread));
    if (status == Status::ThreadBusy)
        return reply.fail(status, "GUI thread " + std::to_string(thread) + " did not answer");
    return status;
}

Status ping(Host& host, Reply& reply) {
    PingReply answer{GetCurrentProcessId(), static_cast<int>(host.threads.size()), sizeof(void*)};
    reply.put(answer);
    return Status::Ok;
}

Status quit(Host& host, Reply&) {
    host.quitting = true;
    return Status::Ok;
}

Status startThread(Host& host, Reply& reply) {
    int index = host.startThread();
    if (index < 0) return reply.fail(Status::Failed, "could not start a GUI thread");
    reply.put(ThreadReply{index, host.threads[index]->id()});
    return Status::Ok;
}

Status createFrameOn(Host& host, const CreateFrameBody& body, Reply& reply) {
    auto made = std::make_shared<FrameHandles>();
    FrameOptions options = body.options;
    Status status = host.onThread(body.thread, [made, options] { *made = createFrame(options); });
    if (status != Status::Ok) return explainThread(reply, status, body.thread);
    if (made->frame == nullptr)
        return reply.fail(Status::Failed, "the frame window could not be created");
    reply.put(*made);
    return Status::Ok;
}

Status showWindow(Host& host, const ShowBody& body, Reply& reply) {
    auto shown = std::make_shared<BOOL>(FALSE);
    int command = body.command;
    HWND window = body.window;
    Status status = host.onWindowThread(
        window, [shown, window, command] { *shown = ShowWindow(window, command); });
    if (status != Status::Ok) return explain(reply, status, window);
    reply.put(ShowReply{*shown});
    return Status::Ok;
}

Status postClose(Host& host, const WindowBody& body, Reply& reply) {
    if (!host.owns(body.window)) return explain(reply, Status::NoSuchWindow, body.window);
    PostMessageW(body.window, WM_CLOSE, 0, 0);
    return Status::Ok;
}

Status destroyFrameOn(Host& host, const WindowBody& body, Reply& reply) {
    auto done = std::make_shared<bool>(false);
    HWND window = body.window;
    Status status = host.onWindowThread(window, [done, window] { *done = destroyFrame(window); });
    if (status != Status::Ok) return explain(reply, status, window);
    if (!*done)
        return reply.fail(Status::BadRequest, windowText(window) + " is not a stand-in frame");
    return Status::Ok;
}

Status createTaskbarOn(Host& host, const TaskbarBody& body, Reply& reply) {
    auto made = std::make_shared<HWND>(nullptr);
    const bool announce = body.announce != FALSE;
    Status status =
        host.onThread(body.thread, [made, announce] { *made = createTaskbar(true, announce); });
    if (status != Status::Ok) return explainThread(reply, status, body.thread);
    if (*made == nullptr)
        return reply.fail(Status::Failed, "the taskbar window could not be created");
    reply.put(WindowBody{*made});
    return Status::Ok;
}

Status destroyTaskbarOn(Host& host, const WindowBody& body, Reply& reply) {
    auto done = std::make_shared<bool>(false);
    HWND window = body.window;
    Status status = host.onWindowThread(window, [done, window] { *done = destroyTaskbar(window); });
    if (status != Status::Ok) return explain(reply, status, window);
    if (!*done) return reply.fail(Status::BadRequest, windowText(window) + " is not the taskbar");
    return Status::Ok;
}

Status snapshotBandsOf(Host& host, const WindowBody& body, Reply& reply) {
    auto bands = std::make_shared<std::vector<BandRecord>>();
    HWND window = body.window;
    Status status =
        host.onWindowThread(window, [bands, window] { *bands = snapshotBands(window); });
    if (status != Status::Ok) return explain(reply, status, window);
    BandsReply answer{};
    answer.count = static_cast<int>(std::min<std::size_t>(bands->size(), kMaxBands));
    std::copy_n(bands->begin(), answer.count, answer.bands);
    reply.put(answer);
    return Status::Ok;
}

Status snapshotButtonsOf(Host& host, const WindowBody& body, Reply& reply) {
    auto buttons = std::make_shared<std::vector<ButtonRecord>>();
    HWND window = body.window;
    Status status =
        host.onWindowThread(window, [buttons, window] { *buttons = snapshotButtons(window); });
    if (status != Status::Ok) return explain(reply, status, window);
    ButtonsReply answer{};
    answer.count = static_cast<int>(std::min<std::size_t>(buttons->size(), kMaxButtons));
    std::copy_n(buttons->begin(), answer.count, answer.buttons);
    reply.put(answer);
    return Status::Ok;
}

Status describeImageListOf(Host& host, const ImageListBody& body, Reply& reply) {
    auto info = std::make_shared<ImageListInfo>();
    HWND toolbar = body.toolbar;
    UINT query = body.hot ? TB_GETHOTIMAGELIST : TB_GETIMAGELIST;
    Status status = host.onWindowThread(toolbar, [info, toolbar, query] {
        auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, query, 0, 0));
        *info = describeImageList(list);
    });
    if (status != Status::Ok) return explain(reply, status, toolbar);
    reply.put(*info);
    return Status::Ok;
}

Status createIcons(Host& host, const IconsBody& body, Reply& reply) {
    if (body.count < 0 || body.count > kMaxIcons || body.size <= 0)
        return reply.fail(Status::BadRequest, "icon count or size out of range");
    IconsReply answer{};
    answer.count = body.count;
    for (int i = 0; i < body.count; ++i) {
        answer.icons[i] = createSolidIcon(body.size, body.colours[i]);
        if (answer.icons[i] == nullptr)
            return reply.fail(Status::Failed, "CreateIconIndirect failed");
        host.icons.push_back(answer.icons[i]);
    }
    // A planted leak, for checks that must see one: an icon no one will destroy.
    if (host.leakIcon) createSolidIcon(body.size, RGB(1, 2, 3));
    reply.put(answer);
    return Status::Ok;
}

Status destroyIcons(Host& host, const IconsReply& body, Reply& reply) {
    if (body.count < 0 || body.count > kMaxIcons)
        return reply.fail(Status::BadRequest, "icon count out of range");
    for (int i = 0; i < body.count; ++i) {
        auto it = std::find(host.icons.begin(), host.icons.end(), body.icons[i]);
        if (it == host.icons.end())
            return reply.fail(Status::BadRequest, "an icon the host did not make");
        DestroyIcon(*it);
        host.icons.erase(it);
    }
    return Status::Ok;
}

Status describeIcon(Host&, const IconBody& body, Reply& reply) {
    IconReply answer{};
    ICONINFO info{};
    answer.valid = body.icon != nullptr && GetIconInfo(body.icon, &info);
    if (answer.valid) {
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
        answer.centre = iconCentre(body.icon, &answer.width, &answer.height);
    } else {
        answer.centre = kNoColor;
    }
    reply.put(answer);
    return Status::Ok;
}

Status readSection(Host&, const SectionBody& body, Reply& reply) {
    char path[MAX_PATH];
    std::memcpy(path, body.path, sizeof(path));
    path[MAX_PATH - 1] = '\0';
    char name[kSectionNameChars + 1];
    std::memcpy(name, body.section, sizeof(name));
    name[kSectionNameChars] = '\0';
    // Stays loaded: the host then maps the module as long as it lives, like a hooked process.
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return reply.fail(Status::Failed, std::string("LoadLibraryA failed for ") + path);
    SectionView view{};
    if (!findSection(module, name, &view))
        return reply.fail(Status::Failed, std::string("no section named ") + name);
    if (body.offset > view.size)
        return reply.fail(Status::BadRequest, "offset past the end of the section");
    std::uint32_t length = std::min({body.length, view.size - body.offset, kMaxSectionRead});
    reply.put(SectionReply{module, view.size, length});
    reply.append(view.data + body.offset, length);
    return Status::Ok;
}

Status stopRecordingAll(Host& host) {
    tarvik::test::MessageRecorder* recorder = &host.recorder;
    for (HWND window : recorder->windows()) {
        // A window that is gone has already left the recorder; others go on their thread.
        if (host.onWindowThread(window, [recorder, window] { recorder->detach(window); }) !=
            Status::Ok)
            recorder->detach(window);
    }
    return Status::Ok;
}

Status startRecording(Host& host, const RecordBody& body, Reply& reply) {
    if (body.count < 0 || body.count > kMaxRecordedWindows)
        return reply.fail(Status::BadRequest, "window count out of range");
    stopRecordingAll(host);
    host.recorder.clear();
    host.recorder.configure(body.config);
    RecordReply answer{};
    tarvik::test::MessageRecorder* recorder = &host.recorder;
    for (int i = 0; i < body.count; ++i) {
        HWND window = body.windows[i];
        auto attached = std::make_shared<bool>(false);
        Status status = host.onWindowThread(
            window, [recorder, window, attached] { *attached = recorder->attach(window); });
        if (status != Status::Ok) return explain(reply, status, window);
        if (!*attached)
            return reply.fail(Status::Failed, "could not subclass " + windowText(window));
        ++answer.attached;
    }
    reply.put(answer);
    return Status::Ok;
}

Status stopRecording(Host& host, Reply&) {
    return stopRecordingAll(host);
}

Status fetchRecords(Host& host, const FetchBody& body, Reply& reply) {
    std::vector<tarvik::test::MessageRecord> records = host.recorder.records();
    FetchReply answer{};
    answer.total = static_cast<std::uint32_t>(records.size());
    std::uint32_t first = std::min(body.first, answer.total);
    answer.count = std::min(answer.total - first, kMaxRecordsPerReply);
    reply.put(answer);
    reply.append(records.data() + first, answer.count * sizeof(tarvik::test::MessageRecord));
    return Status::Ok;
}

Status sendToWindow(Host& host, const MessageBody& body, Reply& reply) {
    auto result = std::make_shared<LRESULT>(0);
    MessageBody message = body;
    Status status = host.onWindowThread(body.window, [result, message] {
        *result = SendMessageW(message.window, message.message, message.wParam, message.lParam);
    });
    if (status != Status::Ok) return explain(reply, status, body.window);
    reply.put(MessageReply{*result});
    return Status::Ok;
}

Status postToWindow(Host& host, const MessageBody& body, Reply& reply) {
    if (!host.owns(body.window)) return explain(reply, Status::NoSuchWindow, body.window);
    if (!PostMessageW(body.window, body.message, body.wParam, body.lParam))
        return reply.fail(Status::Failed, "PostMessage failed");
    return Status::Ok;
}

Status foreground(Host& host, const WindowBody& body, Reply& reply) {
    auto done = std::make_shared<bool>(false);
    HWND window = body.window;
    Status status = host.onWindowThread(
        window, [done, window] { *done = tarvik::test::bringToForeground(window, kForegroundMs); });
    if (status != Status::Ok) return explain(reply, status, window);
    if (!*done)
        return reply.fail(Status::Failed, windowText(window) + " did not become the foreground");
    return Status::Ok;
}

Status createShapeOn(Host& host, const ShapeBody& body, Reply& reply) {
    auto made = std::make_shared<HWND>(nullptr);
    ShapePlan plan = body.plan;
    Status status = host.onThread(body.thread, [made, plan] { *made = createShape(plan); });
    if (status != Status::Ok) return explainThread(reply, status, body.thread);
    if (*made == nullptr) return reply.fail(Status::Failed, "the shape could not be made");
    reply.put(WindowBody{*made});
    return Status::Ok;
}

Status shapeLookOf(Host& host, const WindowBody& body, Reply& reply) {
    auto look = std::make_shared<std::string>();
    HWND window = body.window;
    Status status = host.onWindowThread(window, [look, window] { *look = shapeLook(window); });
    if (status != Status::Ok) return explain(reply, status, window);
    reply.append(look->data(), look->size());
    return Status::Ok;
}

Status shapeChaos(Host&, const ChaosBody& body, Reply& reply) {
    reply.put(ChaosReply{armShapeChaos(body.armed != FALSE)});
    return Status::Ok;
}

Status guiCensus(Host&, Reply& reply) {
    reply.put(tarvik::test::takeGuiCensus());
    return Status::Ok;
}

// Damage done to the heap by code running in the host shows here before it crashes.
Status heapCheck(Host&, Reply& reply) {
    const BOOL sound = HeapValidate(GetProcessHeap(), 0, nullptr);
    reply.put(sound);
    return Status::Ok;
}

// The table: each request, the size its body must have, and its handler.
using Handler = Status (*)(Host&, const Incoming&, Reply&);

template <Status (*Fn)(Host&, Reply&)>
Status withoutBody(Host& host, const Incoming&, Reply& reply) {
    return Fn(host, reply);
}

template <class Body, Status (*Fn)(Host&, const Body&, Reply&)>
Status withBody(Host& host, const Incoming& incoming, Reply& reply) {
    Body body;
    std::memcpy(static_cast<void*>(&body), incoming.body, sizeof(Body));
    return Fn(host, body, reply);
}

struct Entry {
    Request kind;
    const char* name;
    std::uint32_t bodyBytes;
    Handler handle;
};

#define NO_BODY(kind, fn)                                                                          \
    Entry {                                                                                        \
        Request::kind, #kind, 0, &withoutBody<fn>                                                  \
    }
#define BODY(kind, Body, fn)                                                                       \
    Entry {                                                                                        \
        Request::kind, #kind, sizeof(Body), &withBody<Body, fn>                                    \
    }

const Entry kHandlers[] = {
    NO_BODY(Ping, ping),
    NO_BODY(Quit, quit),
    NO_BODY(StartThread, startThread),
    BODY(CreateFrame, CreateFrameBody, createFrameOn),
    BODY(ShowWindow, ShowBody, showWindow),
    BODY(PostClose, WindowBody, postClose),
    BODY(DestroyFrame, WindowBody, destroyFrameOn),
    BODY(CreateTaskbar, TaskbarBody, createTaskbarOn),
    BODY(DestroyTaskbar, WindowBody, destroyTaskbarOn),
    BODY(SnapshotBands, WindowBody, snapshotBandsOf),
    BODY(SnapshotButtons, WindowBody, snapshotButtonsOf),
    BODY(DescribeImageList, ImageListBody, describeImageListOf),
    BODY(CreateIcons, IconsBody, createIcons),
    BODY(DestroyIcons, IconsReply, destroyIcons),
    BODY(DescribeIcon, IconBody, describeIcon),
    BODY(ReadSection, SectionBody, readSection),
    BODY(StartRecording, RecordBody, startRecording),
    NO_BODY(StopRecording, stopRecording),
    BODY(FetchRecords, FetchBody, fetchRecords),
    BODY(SendToWindow, MessageBody, sendToWindow),
    BODY(PostToWindow, MessageBody, postToWindow),
    BODY(Foreground, WindowBody, foreground),
    BODY(InstallIconLedger, LedgerBody, installIconLedgerIn),
    NO_BODY(IconLedgerCounts, iconLedgerCountsIn),
    BODY(CaptureWindow, CaptureBody, captureWindowIn),
    BODY(LoadIconFiles, IconFilesBody, loadIconFilesIn),
    BODY(SendFromWindowThread, RelayBody, sendFromWindowThreadIn),
    NO_BODY(HeapCheck, heapCheck),
    BODY(SendThenHold, HoldBody, sendThenHoldIn),
    NO_BODY(GuiCensus, guiCensus),
    BODY(CreateShape, ShapeBody, createShapeOn),
    BODY(ShapeLook, WindowBody, shapeLookOf),
    BODY(ShapeChaos, ChaosBody, shapeChaos),
};

#undef NO_BODY
#undef BODY

} // namespace

void handleRequest(Host& host, const Incoming& incoming, Reply& reply) {
    for (const Entry& entry : kHandlers) {
        if (entry.kind != incoming.header->kind) continue;
        if (incoming.bodyBytes != entry.bodyBytes) {
            reply.fail(Status::BadRequest,
                       std::string(entry.name) + ": body of " + std::to_string(incoming.bodyBytes) +
                           " bytes, expected " + std::to_string(entry.bodyBytes));
            return;
        }
        reply.status = entry.handle(host, incoming, reply);
        return;
    }
    reply.fail(Status::UnknownRequest,
               "unknown request " +
                   std::to_string(static_cast<std::uint32_t>(incoming.header->kind)));
}

} // namespace standin::host
