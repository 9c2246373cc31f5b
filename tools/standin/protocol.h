// The stand-in shell's request protocol over WM_COPYDATA. A request is a header
// and a fixed body; the host answers by sending WM_COPYDATA (header + body) to the
// reply window named in the request, while the client still waits in SendMessage.
// Both sides are built from this header, and every type in it is plain data.
//
// Adding a request: a value in Request, its body and reply types here, a handler
// and one line in the table in host/handlers.cpp, and a method in client.h (or
// RemoteShell::call for a one-off).
#pragma once

#include <windows.h>
#include <cstdint>
#include <type_traits>
#include "frame_options.h"
#include "images.h"
#include "message_record.h"
#include "shapes.h"
#include "snapshots.h"

namespace standin::wire {

constexpr std::uint32_t kMagic = 0x54535348; // "TSSH"
constexpr std::uint16_t kVersion = 1;

enum class Request : std::uint32_t {
    Ping = 1,
    Quit,
    StartThread,
    CreateFrame,
    ShowWindow,
    PostClose,
    DestroyFrame,
    CreateTaskbar,
    DestroyTaskbar,
    SnapshotBands,
    SnapshotButtons,
    DescribeImageList,
    CreateIcons,
    DestroyIcons,
    DescribeIcon,
    ReadSection,
    StartRecording,
    StopRecording,
    FetchRecords,
    SendToWindow,
    PostToWindow,
    Foreground,
    InstallIconLedger, // standin/ledger_protocol.h
    IconLedgerCounts,
    CaptureWindow, // standin/demo_protocol.h
    LoadIconFiles,
    SendFromWindowThread, // standin/relay_protocol.h
    HeapCheck,            // - -> BOOL: HeapValidate of the host's process heap
    SendThenHold,         // standin/relay_protocol.h
    GuiCensus,            // - -> tarvik::test::GuiCensus (gui_census.h), taken in the host
    CreateShape,          // ShapeBody -> WindowBody (shapes.h)
    ShapeLook,            // WindowBody -> the look's text
    ShapeChaos,           // ChaosBody -> ChaosReply
};

enum class Status : std::uint32_t {
    Ok = 0,
    UnknownRequest,
    BadRequest,
    NoSuchWindow, // gone, or not the host's
    NoSuchThread,
    ThreadBusy, // the window's thread did not answer in time
    Failed,
};

constexpr int kErrorChars = 160;

struct RequestHeader {
    std::uint32_t magic;
    std::uint16_t version;
    std::uint16_t pointerBytes; // sizeof(void*): both ends must agree
    Request kind;
    std::uint32_t serial;
    HWND replyTo;
    std::uint32_t bodyBytes;
};

struct ReplyHeader {
    std::uint32_t magic;
    std::uint32_t serial;
    Status status;
    std::uint32_t bodyBytes;
    char error[kErrorChars];
};

// Bodies and replies. "-" means no body or an empty reply.

// Ping: - -> PingReply
struct PingReply {
    DWORD processId;
    int threads;
    std::uint32_t pointerBytes;
};

// Quit: - -> -   (the host exits after replying)

// StartThread: - -> ThreadReply
struct ThreadReply {
    int thread;
    DWORD threadId;
};

// CreateFrame: CreateFrameBody -> FrameHandles
struct CreateFrameBody {
    int thread;
    FrameOptions options;
};

// CreateTaskbar: TaskbarBody -> WindowBody
struct TaskbarBody {
    int thread;
    BOOL announce; // broadcast "TaskbarCreated", as a (re)started shell does
};

// PostClose, DestroyFrame, DestroyTaskbar, SnapshotBands, SnapshotButtons, Foreground:
// WindowBody -> - (SnapshotBands: BandsReply, SnapshotButtons: ButtonsReply)
struct WindowBody {
    HWND window;
};

// ShowWindow: ShowBody -> ShowReply (what ShowWindow returned)
struct ShowBody {
    HWND window;
    int command; // SW_*
};
struct ShowReply {
    BOOL wasVisible;
};

constexpr int kMaxBands = 32;
struct BandsReply {
    int count;
    BandRecord bands[kMaxBands];
};

constexpr int kMaxButtons = 128;
struct ButtonsReply {
    int count;
    ButtonRecord buttons[kMaxButtons];
};

// DescribeImageList: ImageListBody -> ImageListInfo (list null: the toolbar has none)
struct ImageListBody {
    HWND toolbar;
    BOOL hot; // TB_GETHOTIMAGELIST, else TB_GETIMAGELIST
};

// CreateIcons: IconsBody -> IconsReply;  DestroyIcons: IconsReply -> -
constexpr int kMaxIcons = 64;
struct IconsBody {
    int count;
    int size;
    COLORREF colours[kMaxIcons];
};
struct IconsReply {
    int count;
    HICON icons[kMaxIcons];
};

// DescribeIcon: IconBody -> IconReply
struct IconBody {
    HICON icon;
};
struct IconReply {
    BOOL valid; // GetIconInfo succeeded in the host
    int width, height;
    COLORREF centre;
};

// ReadSection: SectionBody -> SectionReply followed by `length` bytes
constexpr int kSectionNameChars = 8;
constexpr std::uint32_t kMaxSectionRead = 64 * 1024;
struct SectionBody {
    char path[MAX_PATH];
    char section[kSectionNameChars + 1];
    std::uint32_t offset;
    std::uint32_t length;
};
struct SectionReply {
    HMODULE module;
    std::uint32_t sectionSize;
    std::uint32_t length; // bytes that follow
};

// StartRecording: RecordBody -> RecordReply. Replaces any recording under way.
constexpr int kMaxRecordedWindows = 32;
struct RecordBody {
    int count;
    HWND windows[kMaxRecordedWindows];
    tarvik::test::RecorderConfig config;
};
struct RecordReply {
    int attached;
};

// StopRecording: - -> -  (detaches; the records stay until the next StartRecording)

// FetchRecords: FetchBody -> FetchReply followed by `count` MessageRecords
constexpr std::uint32_t kMaxRecordsPerReply = 1024;
struct FetchBody {
    std::uint32_t first;
};
struct FetchReply {
    std::uint32_t total;
    std::uint32_t count;
};

// SendToWindow: MessageBody -> MessageReply (SendMessage on the window's thread)
// PostToWindow: MessageBody -> -
// Only messages whose parameters carry no pointers make sense across processes.
struct MessageBody {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
struct MessageReply {
    LRESULT result;
};

struct ShapeBody {
    int thread;
    ShapePlan plan;
};
struct ChaosBody {
    BOOL armed;
};
struct ChaosReply {
    int acts; // since the last arming
};

// Every body and reply travels as raw bytes.
template <class... T>
constexpr bool kAllPlain = (std::is_trivially_copyable_v<T> && ...);
static_assert(kAllPlain<RequestHeader, ReplyHeader, PingReply, ThreadReply, CreateFrameBody,
                        TaskbarBody, WindowBody, ShowBody, ShowReply, BandsReply, ButtonsReply,
                        ImageListBody, ImageListInfo, FrameHandles, IconsBody, IconsReply, IconBody,
                        IconReply, SectionBody, SectionReply, RecordBody, RecordReply, FetchBody,
                        FetchReply, MessageBody, MessageReply, ShapeBody, ChaosBody, ChaosReply>);

// Window class of the host's control window (a message-only window; its title is
// the host's name). Deliberately no class the hook library looks at.
constexpr char kControlClass[] = "TarvikStandinHost";

// Named event the host sets once its control window exists: prefix + name.
constexpr char kReadyEventPrefix[] = "TarvikStandinReady-";

} // namespace standin::wire
