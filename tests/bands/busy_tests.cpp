// The busy mark of the band procedures: held while the rebar carries out their
// RB_SHOWBAND and RB_SETBANDINFOA (seen from the notifications the rebar sends
// its parent meanwhile), and given up after every call whatever the outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "band_helpers.h"
#include "bands/band_titles.h"
#include "bands/logo_band.h"
#include "bands/menu_band.h"
#include "state/process_state.h"

using namespace bands_test;
using namespace tarvik::test;

namespace {

constexpr LPARAM kQuery = 0;
constexpr LPARAM kHide = 0x10000;
constexpr LPARAM kShow = 0x10001;

// Notes isBusy() at every notification the rebar sends its parent while it
// handles a band change, and at the change itself.
class BusyWatch {
  public:
    BusyWatch(HWND rebar, HWND parent) {
        EXPECT_TRUE(recorder_.attach(rebar));
        EXPECT_TRUE(recorder_.attach(parent));
        recorder_.before(parent, WM_NOTIFY, [this](const MessageRecord& record) {
            if (record.depth > 0) notified_.push_back(isBusy());
        });
        for (UINT change : {RB_SHOWBAND, RB_SETBANDINFOA})
            recorder_.before(rebar, change,
                             [this](const MessageRecord&) { changed_.push_back(isBusy()); });
    }
    // Every look found busy set, and there was something to look at.
    void expectBusyThroughout(const std::string& what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(changed_.empty()) << "the rebar was not changed";
        EXPECT_FALSE(notified_.empty()) << "the rebar sent no notification";
        for (bool busy : changed_)
            EXPECT_TRUE(busy);
        for (bool busy : notified_)
            EXPECT_TRUE(busy);
        EXPECT_FALSE(isBusy()) << "after the walk";
        changed_.clear();
        notified_.clear();
    }

  private:
    MessageRecorder recorder_;
    std::vector<bool> notified_;
    std::vector<bool> changed_;
};

} // namespace

TEST(BandBusy, HeldWhileTheRebarCarriesOutEachWalksChange) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    ASSERT_EQ(GetParent(rebar), frame->worker);
    BusyWatch watch(rebar, frame->worker);
    ASSERT_FALSE(isBusy());

    walkLogoBand(frame->frame, 0);
    watch.expectBusyThroughout("logo hidden");
    walkLogoBand(frame->frame, 1);
    watch.expectBusyThroughout("logo shown");
    walkHeaders(frame->frame, 0);
    watch.expectBusyThroughout("titles hidden");
    walkHeaders(frame->frame, 1);
    watch.expectBusyThroughout("titles shown");
    showMenuBand(frame->frame, 0);
    watch.expectBusyThroughout("menu band hidden");
    showMenuBand(frame->frame, 1);
    watch.expectBusyThroughout("menu band shown");
    toggleMenuBand(frame->frame);
    watch.expectBusyThroughout("menu band toggled off");
    toggleMenuBand(frame->frame);
    watch.expectBusyThroughout("menu band toggled on");
}

TEST(BandBusy, ClearAfterEveryProcedureCallWhateverTheOutcome) {
    Frame frame(frameOptions("MTALG"));
    const standin::FrameHandles& h = frame.handles;
    // A toolbar without a parent, and one whose parent is not a rebar.
    HWND orphan = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_POPUP, 0, 0, 50, 20, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(GetParent(orphan), nullptr);
    HWND outside = createMenuLikeToolbar(h.frame);
    // A "WorkerW" and a menu-like toolbar in a rebar without bands.
    HWND empty = createRebar(h.worker);
    HWND emptyWorker = CreateWindowExA(0, "WorkerW", "", WS_CHILD, 0, 0, 5, 5, empty, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    HWND emptyToolbar = createMenuLikeToolbar(empty);
    ASSERT_EQ(SendMessageA(empty, RB_GETBANDCOUNT, 0, 0), 0);

    struct Call {
        const char* what;
        WNDENUMPROC proc;
        HWND window;
        LPARAM param;
        BOOL result;
    };
    const Call calls[] = {
        {"logo: not a WorkerW", logoBandProc, h.mainToolbar, kHide, TRUE},
        {"logo: WorkerW under the frame", logoBandProc, h.worker, kHide, TRUE},
        {"logo: hides", logoBandProc, h.logoWorker, kHide, FALSE},
        {"logo: already hidden", logoBandProc, h.logoWorker, kHide, FALSE},
        {"logo: shows", logoBandProc, h.logoWorker, kShow, FALSE},
        {"logo: already shown", logoBandProc, h.logoWorker, kShow, FALSE},
        {"logo: rebar without bands", logoBandProc, emptyWorker, kHide, FALSE},
        {"titles: not a toolbar", headerBandProc, h.addressChild, kHide, TRUE},
        {"titles: toolbar without a parent", headerBandProc, orphan, kHide, TRUE},
        {"titles: toolbar outside a rebar", headerBandProc, outside, kHide, TRUE},
        {"titles: hides", headerBandProc, h.linksToolbar, kHide, TRUE},
        {"titles: already hidden", headerBandProc, h.linksToolbar, kHide, TRUE},
        {"titles: shows", headerBandProc, h.mainToolbar, kShow, TRUE},
        {"titles: already shown", headerBandProc, h.menuToolbar, kShow, TRUE},
        {"titles: rebar without bands", headerBandProc, emptyToolbar, kShow, TRUE},
        {"menu: not a toolbar", menuBandProc, h.rebar, kQuery, TRUE},
        {"menu: toolbar with an id", menuBandProc, h.mainToolbar, kHide, TRUE},
        {"menu: toolbar without a parent", menuBandProc, orphan, kHide, TRUE},
        {"menu: toolbar outside a rebar", menuBandProc, outside, kHide, TRUE},
        {"menu: rebar without bands", menuBandProc, emptyToolbar, kHide, TRUE},
        {"menu: query", menuBandProc, h.menuToolbar, kQuery, FALSE},
        {"menu: hides", menuBandProc, h.menuToolbar, kHide, TRUE},
        {"menu: already hidden", menuBandProc, h.menuToolbar, kHide, FALSE},
        {"menu: shows", menuBandProc, h.menuToolbar, kShow, TRUE},
        {"menu: already shown", menuBandProc, h.menuToolbar, kShow, FALSE},
    };
    for (const Call& call : calls) {
        EXPECT_EQ(call.proc(call.window, call.param), call.result) << call.what;
        EXPECT_FALSE(isBusy()) << call.what;
    }

    // Called while this thread is already busy, a procedure leaves it busy.
    enterBusy();
    for (const Call& call : calls) {
        call.proc(call.window, call.param);
        EXPECT_TRUE(isBusy()) << call.what;
    }
    leaveBusy();
    EXPECT_FALSE(isBusy());
    DestroyWindow(orphan);
}
