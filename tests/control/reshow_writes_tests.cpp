// A frame hidden and shown again gets the re-application's private messages; with the
// real DLL's hooks on a frame of this thread, the setters its rebar and main toolbar
// receive are counted by message id: none when nothing changed, and after one setting
// changed while the frame was hidden, exactly that setting's writes. Once a show has
// found everything in force, the next ones do not even read, until a write reaches the
// rebar or the toolbar.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <iterator>
#include <map>

#include "pump.h"
#include "sequence_assert.h"
#include "settling_fixture.h"

using namespace control_test;
using standin::FrameClass;

namespace {

constexpr UINT kSetters[] = {
    RB_SHOWBAND,     RB_SETBANDINFOA,    RB_SETBANDINFOW,   RB_INSERTBANDA,    RB_INSERTBANDW,
    RB_DELETEBAND,   RB_MOVEBAND,        TB_SETBUTTONINFOA, TB_SETBUTTONINFOW, TB_SETSTATE,
    TB_SETSTYLE,     TB_SETMETRICS,      TB_SETBUTTONWIDTH, TB_SETBUTTONSIZE,  TB_SETBITMAPSIZE,
    TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETPADDING,     TB_AUTOSIZE,       TB_SETINDENT};
// What the logo and arrow walks read first.
constexpr UINT kReads[] = {RB_GETBANDCOUNT, RB_GETBANDINFOA, TB_BUTTONCOUNT, TB_GETBUTTON};

using Writes = std::map<UINT, int>;

class ReshowWrites : public SettlingFixture {
  protected:
    ReshowWrites() : SettlingFixture(frameOf(FrameClass::Explorer)) {}

    void SetUp() override {
        SettlingFixture::SetUp();
        if (HasFatalFailure()) return;
        RecorderConfig config = privateMessagesOnly();
        for (UINT setter : kSetters)
            config.recordOnly(setter);
        for (UINT read : kReads)
            config.recordOnly(read);
        recorder.configure(config);
        ASSERT_TRUE(recorder.attach(f->rebar));
        library.showHideAllMenu(0, 0);
        library.showHideAllHeader(0, 0);
        library.showHideAllLogo(1, 1);
        library.showHideAllDropdownArrow(1, 1);
        // Explorer's shared lists have the icons already: no icon walk on show.
        library.shared->explorerIconsApplied = 1;
        ShowWindow(f->frame, SW_SHOW);
        tarvik::test::pumpFor(kQuietMs);
    }

    // Hidden, changed by `change`, shown again: what the frame's windows received.
    template <typename Change>
    void reshow(Change change) {
        ShowWindow(f->frame, SW_HIDE);
        change();
        tarvik::test::pumpPending();
        recorder.clear();
        ShowWindow(f->frame, SW_SHOW);
        tarvik::test::pumpFor(kQuietMs);
    }

    // The setters, or with reads as well, the rebar and main toolbar received.
    Writes writes(bool andReads = false) const {
        Writes counted;
        for (const MessageRecord& record : recorder.records()) {
            const bool read =
                std::find(std::begin(kReads), std::end(kReads), record.message) != std::end(kReads);
            if ((record.hwnd == f->rebar || record.hwnd == f->mainToolbar) && (andReads || !read))
                ++counted[record.message];
        }
        return counted;
    }

    std::vector<Expected> twoReapplications() const {
        std::vector<Expected> twice;
        for (int run = 0; run < 2; ++run)
            for (UINT message : {MSG_SET_LOGO, MSG_SET_MENUBAR, MSG_SET_DROPDOWNS})
                twice.push_back(privateMessage(f->frame, message,
                                               message == MSG_SET_MENUBAR ? kRehide : kApply,
                                               TARVIK_KIND_EXPLORER));
        return twice;
    }

    std::vector<MessageRecord> privateMessages() const {
        std::vector<MessageRecord> own;
        for (const MessageRecord& record : recordsFor(recorder.records(), f->frame))
            own.push_back(record);
        return own;
    }
};

TEST_F(ReshowWrites, AnUnchangedFrameGetsNoWriteAndAChangedSettingOnlyItsOwn) {
    // WM_SHOWWINDOW, then WM_WINDOWPOSCHANGED: two re-applications.
    const std::vector<Expected> twice = twoReapplications();

    reshow([] {});
    EXPECT_TRUE(tarvik::test::sequenceMatches(privateMessages(), twice));
    EXPECT_EQ(writes(), Writes{});

    // Arrows shown again: the two drop-down buttons, the re-layout and the band's new fit
    // (Wine's toolbar reports no spacing, so none is written).
    reshow([&] { library.shared->hideDropdown[0] = 0; });
    EXPECT_TRUE(tarvik::test::sequenceMatches(privateMessages(), twice));
    EXPECT_EQ(writes(),
              (Writes{{TB_SETBUTTONINFOA, 2}, {TB_SETBUTTONWIDTH, 2}, {RB_SETBANDINFOA, 1}}));

    // The logo shown again: one RB_SHOWBAND.
    reshow([&] { library.shared->hideLogo[0] = 0; });
    EXPECT_EQ(writes(), (Writes{{RB_SHOWBAND, 1}}));
    EXPECT_FALSE(logoHidden());
    EXPECT_EQ(stylesOf(f->mainToolbar)[1] & BTNS_DROPDOWN, BTNS_DROPDOWN);
}

TEST_F(ReshowWrites, AFrameFoundInOrderIsNotReadAgainUntilAWriteReachesIt) {
    const std::vector<Expected> twice = twoReapplications();
    // The settings were just applied: this show reads what they wrote.
    reshow([] {});
    reshow([] {});
    EXPECT_TRUE(tarvik::test::sequenceMatches(privateMessages(), twice));
    EXPECT_EQ(writes(true), Writes{});

    // An arrow given back while hidden, sent and then posted: only the toolbar hears of it.
    for (const bool posted : {false, true}) {
        reshow([&] {
            TBBUTTON button{};
            SendMessageA(f->mainToolbar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&button));
            TBBUTTONINFOA info{};
            info.cbSize = sizeof info;
            info.dwMask = TBIF_STYLE;
            info.fsStyle = static_cast<BYTE>(button.fsStyle | BTNS_DROPDOWN);
            const LPARAM at = reinterpret_cast<LPARAM>(&info);
            if (posted)
                PostMessageA(f->mainToolbar, TB_SETBUTTONINFOA, button.idCommand, at);
            else
                SendMessageA(f->mainToolbar, TB_SETBUTTONINFOA, button.idCommand, at);
            tarvik::test::pumpPending();
        });
        EXPECT_TRUE(tarvik::test::sequenceMatches(privateMessages(), twice));
        EXPECT_EQ(writes()[TB_SETBUTTONINFOA], 1) << posted;
        EXPECT_EQ(stylesOf(f->mainToolbar)[1] & BTNS_DROPDOWN, 0) << posted;
    }

    // The logo band's style written without RBBS_HIDDEN.
    reshow([&] {
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_STYLE;
        const int logo = bandIndex(standin::kLogoBandId);
        SendMessageA(f->rebar, RB_GETBANDINFOA, logo, reinterpret_cast<LPARAM>(&band));
        band.fStyle &= ~RBBS_HIDDEN;
        SendMessageA(f->rebar, RB_SETBANDINFOA, logo, reinterpret_cast<LPARAM>(&band));
    });
    EXPECT_TRUE(logoHidden());

    reshow([] {});
    EXPECT_EQ(writes(true), Writes{});
}

} // namespace
