// The stand-in shell host, driven from this process: its frames are real windows
// of another process that EnumWindows finds here, and every request answers with
// the host's own view (snapshots, image lists, icons, sections, recordings).
#include <gtest/gtest.h>

#include <algorithm>
#include "foreground.h"
#include "pump.h"
#include "sequence_assert.h"
#include "standin/client.h"
#include "standin_test_util.h"

using namespace standin;
using namespace standin_test;
using tarvik::test::msg;
using tarvik::test::notification;

namespace {

// A dropped or hidden frame disappears from this process's view within this time.
constexpr DWORD kSettleMs = 3000;

std::vector<HWND> topLevelWindowsOf(DWORD process) {
    std::pair<DWORD, std::vector<HWND>> search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->first) s->second.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string besideTests(const char* file) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of("\\/") + 1) + file;
}

class StandinHost : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(host.start()) << host.lastError(); }
    void TearDown() override { EXPECT_TRUE(host.stop()) << "the host had to be killed"; }
    RemoteShell host;
};

} // namespace

TEST_F(StandinHost, AnswersFromItsOwnProcess) {
    Remote<HostPing> ping = host.ping();
    ASSERT_TRUE(ping) << ping.error;
    EXPECT_EQ(ping->processId, host.processId());
    EXPECT_NE(ping->processId, GetCurrentProcessId());
    EXPECT_EQ(ping->threads, 1);
    // The control window is no frame, and no top-level window at all.
    EXPECT_EQ(classOf(host.controlWindow()), wire::kControlClass);
    EXPECT_TRUE(topLevelWindowsOf(host.processId()).empty());

    Remote<wire::ThreadReply> thread = host.startThread();
    ASSERT_TRUE(thread) << thread.error;
    EXPECT_EQ(thread->thread, 1);
    EXPECT_EQ(host.ping()->threads, 2);
}

TEST_F(StandinHost, FramesOnTwoThreadsAreSeenFromHere) {
    ASSERT_TRUE(host.startThread());
    FrameOptions browserOptions;
    browserOptions.frameClass = FrameClass::Browser;
    Remote<FrameHandles> explorer = host.createFrame(FrameOptions{}, 0);
    Remote<FrameHandles> browser = host.createFrame(browserOptions, 1);
    ASSERT_TRUE(explorer) << explorer.error;
    ASSERT_TRUE(browser) << browser.error;

    // Among the host's top-level windows (tooltips and combo lists are top-level too),
    // exactly these two have a frame class.
    std::vector<HWND> found;
    std::string classes;
    for (HWND window : topLevelWindowsOf(host.processId())) {
        std::string name = classOf(window);
        classes += name + " ";
        if (name == "CabinetWClass" || name == "ExploreWClass" || name == "IEFrame")
            found.push_back(window);
    }
    std::sort(found.begin(), found.end());
    std::vector<HWND> frames = {explorer->frame, browser->frame};
    std::sort(frames.begin(), frames.end());
    EXPECT_EQ(found, frames) << classes;
    EXPECT_EQ(classOf(explorer->frame), "CabinetWClass");
    EXPECT_EQ(classOf(browser->frame), "IEFrame");
    EXPECT_TRUE(IsWindowVisible(explorer->frame));
    EXPECT_NE(GetWindowThreadProcessId(explorer->frame, nullptr),
              GetWindowThreadProcessId(browser->frame, nullptr));
    EXPECT_EQ(GetWindowThreadProcessId(browser->frame, nullptr), browser->threadId);

    // The chain as another process sees it.
    for (const FrameHandles* h : {&explorer.value, &browser.value}) {
        EXPECT_EQ(GetParent(h->worker), h->frame);
        EXPECT_EQ(GetParent(h->rebar), h->worker);
        EXPECT_EQ(classOf(h->rebar), "ReBarWindow32");
        EXPECT_EQ(GetWindowLongA(h->mainToolbar, GWL_ID), 0xA000);
        EXPECT_EQ(GetWindowLongA(h->menuToolbar, GWL_ID), 0);
        EXPECT_EQ(GetWindowTextLengthA(h->menuToolbar), 0);
        EXPECT_EQ(classOf(h->logoWorker), "WorkerW");
        EXPECT_EQ(GetParent(h->logoWorker), h->rebar);
    }
}

TEST_F(StandinHost, SnapshotsAndImageListsMatchTheFrame) {
    FrameOptions options;
    options.large = false;
    Remote<FrameHandles> frame = host.createFrame(options);
    ASSERT_TRUE(frame) << frame.error;

    Remote<std::vector<BandRecord>> bands = host.bands(frame->rebar);
    ASSERT_TRUE(bands) << bands.error;
    ASSERT_EQ(bandIds(*bands), (std::vector<UINT>{1, 2, 3, 4, 5}));
    EXPECT_EQ((*bands)[1].hwndChild, frame->mainToolbar);
    EXPECT_STREQ((*bands)[2].text, "Address");
    EXPECT_STREQ((*bands)[3].text, "Links");
    EXPECT_EQ((*bands)[4].hwndChild, frame->logoWorker);

    Remote<std::vector<ButtonRecord>> buttons = host.buttons(frame->mainToolbar);
    ASSERT_TRUE(buttons) << buttons.error;
    ASSERT_EQ(buttons->size(), 8u);
    EXPECT_EQ((*buttons)[0].fsStyle & (BTNS_DROPDOWN | BTNS_AUTOSIZE),
              BTNS_DROPDOWN | BTNS_AUTOSIZE);
    EXPECT_EQ((*buttons)[3].fsStyle & BTNS_SEP, BTNS_SEP);
    EXPECT_STREQ((*buttons)[0].text, "Back");

    for (bool hot : {false, true}) {
        Remote<ImageListInfo> list = host.imageList(frame->mainToolbar, hot);
        ASSERT_TRUE(list) << list.error;
        EXPECT_EQ(list->list, hot ? frame->hotList : frame->normalList);
        EXPECT_EQ(list->count, kDefaultImageCount);
        EXPECT_EQ(list->cx, kSmallImageSize);
        ASSERT_EQ(list->described, kDefaultImageCount);
        for (int i = 0; i < list->described; ++i)
            EXPECT_EQ(list->centre[i], nativeColor(i, hot)) << i << (hot ? " hot" : "");
    }
    // The menu toolbar has no list at all.
    Remote<ImageListInfo> none = host.imageList(frame->menuToolbar, false);
    ASSERT_TRUE(none) << none.error;
    EXPECT_EQ(none->list, nullptr);
}

TEST_F(StandinHost, ShowHideCloseAndDestroy) {
    FrameOptions options;
    options.visible = false;
    Remote<FrameHandles> first = host.createFrame(options);
    Remote<FrameHandles> second = host.createFrame(options);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(IsWindowVisible(first->frame));

    Remote<bool> shown = host.showWindow(first->frame, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(shown) << shown.error;
    EXPECT_FALSE(*shown) << "ShowWindow reports the frame was hidden";
    EXPECT_TRUE(IsWindowVisible(first->frame));
    ASSERT_TRUE(host.showWindow(first->frame, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(first->frame));

    ASSERT_TRUE(host.postClose(first->frame));
    EXPECT_TRUE(tarvik::test::pumpUntil([&] { return !IsWindow(first->frame); }, kSettleMs));
    Remote<Done> destroyed = host.destroyFrame(second->frame);
    ASSERT_TRUE(destroyed) << destroyed.error;
    EXPECT_FALSE(IsWindow(second->frame));

    // Requests about windows that are gone fail at once, and the host goes on.
    Remote<std::vector<BandRecord>> stale = host.bands(second->rebar);
    EXPECT_FALSE(stale);
    EXPECT_NE(stale.error.find("no such window"), std::string::npos) << stale.error;
    EXPECT_FALSE(host.destroyFrame(second->frame));
    EXPECT_FALSE(host.send(first->mainToolbar, TB_BUTTONCOUNT));
    // A live window of this process is not the host's either.
    EXPECT_FALSE(host.showWindow(GetDesktopWindow(), SW_SHOW));
    EXPECT_TRUE(host.ping());
}

TEST_F(StandinHost, TaskbarWindow) {
    Remote<HWND> taskbar = host.createTaskbar();
    ASSERT_TRUE(taskbar) << taskbar.error;
    EXPECT_EQ(classOf(*taskbar), "Shell_TrayWnd");
    EXPECT_EQ(GetAncestor(*taskbar, GA_ROOT), *taskbar);
    DWORD owner = 0;
    GetWindowThreadProcessId(*taskbar, &owner);
    EXPECT_EQ(owner, host.processId());
    std::vector<HWND> windows = topLevelWindowsOf(host.processId());
    EXPECT_NE(std::find(windows.begin(), windows.end(), *taskbar), windows.end());

    Remote<FrameHandles> frame = host.createFrame();
    ASSERT_TRUE(frame);
    EXPECT_FALSE(host.destroyTaskbar(frame->frame)) << "only the taskbar goes this way";
    ASSERT_TRUE(host.destroyTaskbar(*taskbar));
    EXPECT_FALSE(IsWindow(*taskbar));
}

TEST_F(StandinHost, IconsLiveInTheHost) {
    const std::vector<COLORREF> colours = {RGB(200, 10, 10), RGB(10, 180, 40)};
    Remote<std::vector<HICON>> icons = host.createIcons(kLargeImageSize, colours);
    ASSERT_TRUE(icons) << icons.error;
    ASSERT_EQ(icons->size(), 2u);
    for (size_t i = 0; i < icons->size(); ++i) {
        Remote<IconDescription> icon = host.describeIcon((*icons)[i]);
        ASSERT_TRUE(icon) << icon.error;
        EXPECT_TRUE(icon->valid);
        EXPECT_EQ(icon->width, kLargeImageSize);
        EXPECT_EQ(icon->height, kLargeImageSize);
        EXPECT_EQ(icon->centre, colours[i]);
    }
    ASSERT_TRUE(host.destroyIcons(*icons));
    Remote<IconDescription> gone = host.describeIcon((*icons)[0]);
    ASSERT_TRUE(gone) << gone.error;
    EXPECT_FALSE(gone->valid);
    EXPECT_FALSE(host.destroyIcons(*icons)) << "the host no longer owns them";
}

TEST_F(StandinHost, SharedSectionAsTheHostMapsIt) {
    std::string probe = besideTests("standin_shared_probe.dll");
    HMODULE module = LoadLibraryA(probe.c_str());
    ASSERT_NE(module, nullptr) << probe;
    auto write = reinterpret_cast<void(__cdecl*)(int, unsigned char)>(
        reinterpret_cast<void*>(GetProcAddress(module, "probeWrite")));
    ASSERT_NE(write, nullptr);
    write(10, 0x5A);
    write(63, 0xA5);

    Remote<SectionBytes> all = host.readSection(probe, 0, 64);
    ASSERT_TRUE(all) << all.error;
    ASSERT_EQ(all->bytes.size(), 64u);
    EXPECT_GE(all->sectionSize, 64u);
    EXPECT_EQ(std::string(all->bytes.begin(), all->bytes.begin() + 5), "PROBE");
    EXPECT_EQ(all->bytes[10], 0x5A) << "written here, read there: the section is shared";
    EXPECT_EQ(all->bytes[63], 0xA5);

    // A later write shows through the same mapping; an offset reads from there.
    write(11, 0x33);
    Remote<SectionBytes> part = host.readSection(probe, 10, 2);
    ASSERT_TRUE(part) << part.error;
    EXPECT_EQ(part->bytes, (std::vector<unsigned char>{0x5A, 0x33}));
    EXPECT_EQ(part->module, all->module);

    EXPECT_FALSE(host.readSection(probe, 0, 4, ".nosuch"));
    EXPECT_FALSE(host.readSection(besideTests("no_such_module.dll"), 0, 4));
    write(10, 0);
    write(11, 0);
    write(63, 0);
    FreeLibrary(module);
}

TEST_F(StandinHost, RecordsMessagesInTheHost) {
    Remote<FrameHandles> frame = host.createFrame();
    ASSERT_TRUE(frame) << frame.error;
    Remote<int> attached = host.startRecording({frame->rebar, frame->worker});
    ASSERT_TRUE(attached) << attached.error;
    EXPECT_EQ(*attached, 2);

    Remote<LRESULT> hidden = host.send(frame->rebar, RB_SHOWBAND, 2, FALSE);
    ASSERT_TRUE(hidden) << hidden.error;
    EXPECT_EQ(*hidden, 1);
    Remote<std::vector<tarvik::test::MessageRecord>> records = host.records();
    ASSERT_TRUE(records) << records.error;
    EXPECT_TRUE(tarvik::test::sequenceMatches(
        *records,
        {msg(RB_SHOWBAND).on(frame->rebar).wparam(2).lparam(FALSE),
         notification(RBN_CHILDSIZE).on(frame->worker).many()},
        tarvik::test::MatchMode::InOrder, {{frame->rebar, "rebar"}, {frame->worker, "worker"}}));
    for (const auto& record : *records)
        EXPECT_EQ(record.threadId, frame->threadId) << "recorded on the frame's thread";

    // Stopped: the records stay, nothing new is added.
    ASSERT_TRUE(host.stopRecording());
    size_t count = records->size();
    ASSERT_TRUE(host.send(frame->rebar, RB_SHOWBAND, 2, TRUE));
    EXPECT_EQ(host.records()->size(), count);
    Remote<std::vector<BandRecord>> bands = host.bands(frame->rebar);
    EXPECT_EQ((*bands)[2].fStyle & RBBS_HIDDEN, 0u);
}

TEST_F(StandinHost, MessagesRunOnTheWindowsThread) {
    Remote<FrameHandles> frame = host.createFrame();
    ASSERT_TRUE(frame);
    Remote<LRESULT> count = host.send(frame->mainToolbar, TB_BUTTONCOUNT);
    ASSERT_TRUE(count) << count.error;
    EXPECT_EQ(*count, 8);

    tarvik::test::RecorderConfig config;
    config.recordOnly(WM_APP + 5);
    ASSERT_TRUE(host.startRecording({frame->frame}, config));
    ASSERT_TRUE(host.post(frame->frame, WM_APP + 5, 7, 9));
    ASSERT_TRUE(tarvik::test::pumpUntil([&] { return host.records()->size() == 1; }, kSettleMs));
    tarvik::test::MessageRecord posted = host.records()->front();
    EXPECT_EQ(posted.wParam, 7u);
    EXPECT_EQ(posted.lParam, 9);
    EXPECT_EQ(posted.threadId, frame->threadId);
}

TEST_F(StandinHost, FramesComeToTheForeground) {
    FrameOptions left;
    left.x = 20;
    FrameOptions right;
    right.x = 420;
    Remote<FrameHandles> first = host.createFrame(left);
    Remote<FrameHandles> second = host.createFrame(right);
    ASSERT_TRUE(first && second);
    // From inside the host, on the frame's thread...
    Remote<Done> done = host.foreground(first->frame);
    ASSERT_TRUE(done) << done.error;
    EXPECT_EQ(GetForegroundWindow(), first->frame);
    // ...and from this process.
    EXPECT_TRUE(tarvik::test::bringToForeground(second->frame));
    EXPECT_EQ(GetForegroundWindow(), second->frame);
    EXPECT_TRUE(tarvik::test::bringToForeground(first->frame));
    EXPECT_EQ(GetForegroundWindow(), first->frame);
}

TEST_F(StandinHost, MalformedRequestsAreRefused) {
    Remote<std::vector<unsigned char>> unknown =
        host.callRaw(static_cast<wire::Request>(9999), nullptr, 0);
    EXPECT_FALSE(unknown);
    EXPECT_NE(unknown.error.find("unknown request"), std::string::npos) << unknown.error;
    int tooShort = 0;
    Remote<std::vector<unsigned char>> shortBody =
        host.callRaw(wire::Request::CreateFrame, &tooShort, sizeof(tooShort));
    EXPECT_FALSE(shortBody);
    EXPECT_NE(shortBody.error.find("bad request"), std::string::npos) << shortBody.error;
    EXPECT_FALSE(host.createFrame(FrameOptions{}, 5)) << "there is no thread 5";
    EXPECT_TRUE(host.ping());
}

TEST(StandinHostLife, StopsOnRequestAndCanBeRestarted) {
    RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    HANDLE process = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), host.process(), GetCurrentProcess(), &process,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(host.createFrame());
    EXPECT_TRUE(host.stop());
    EXPECT_FALSE(host.running());
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process);
    EXPECT_FALSE(host.ping()) << "no host to answer";

    ASSERT_TRUE(host.start()) << host.lastError();
    EXPECT_TRUE(host.ping());
}

TEST(StandinHostLife, KilledWhenItMayNotWait) {
    RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    HANDLE process = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), host.process(), GetCurrentProcess(), &process,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_FALSE(host.stop(0));
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, kKilledHostExitCode);
    CloseHandle(process);
}

TEST(StandinHostLife, AHostThatDiedAnswersNothing) {
    RemoteShell host;
    ASSERT_TRUE(host.start()) << host.lastError();
    ASSERT_TRUE(TerminateProcess(host.process(), 3));
    ASSERT_EQ(WaitForSingleObject(host.process(), kSettleMs), WAIT_OBJECT_0);
    EXPECT_FALSE(host.running());
    Remote<HostPing> ping = host.ping();
    EXPECT_FALSE(ping);
    EXPECT_FALSE(ping.error.empty());
    EXPECT_FALSE(host.createFrame());
}

TEST(StandinHostLife, StartsWithTheThreadsAskedFor) {
    RemoteShell host;
    HostOptions options;
    options.threads = 3;
    ASSERT_TRUE(host.start(options)) << host.lastError();
    EXPECT_EQ(host.ping()->threads, 3);
    Remote<FrameHandles> onLast = host.createFrame(FrameOptions{}, 2);
    ASSERT_TRUE(onLast) << onLast.error;
    Remote<FrameHandles> onFirst = host.createFrame(FrameOptions{}, 0);
    ASSERT_TRUE(onFirst) << onFirst.error;
    EXPECT_NE(onLast->threadId, onFirst->threadId);
    EXPECT_FALSE(host.createFrame(FrameOptions{}, 3));
    EXPECT_TRUE(host.stop());
}
