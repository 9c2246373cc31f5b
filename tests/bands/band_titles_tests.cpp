// The title walk on real rebars: header widths when hidden and when shown (from
// the text in the default GUI font), what is written and what never is, one pass
// per toolbar in a rebar, and titles longer than the walk's text buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "band_helpers.h"
#include "bands/band_titles.h"
#include "sequence_assert.h"

using namespace bands_test;
using namespace tarvik::test;
using standin::kAddressBandId;
using standin::kLinksBandId;

namespace {

constexpr UINT kTitleMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_ID | RBBIM_HEADERSIZE;
// The rebar may add this bit of its own once a header width has been set.
constexpr UINT kFixedHeaderBit = 0x40000000;

struct Written {
    WPARAM index;
    REBARBANDINFOA info;
    std::string text; // what lpText held when the rebar got the record
};

// Records the rebar's band traffic, and the text of every RB_SETBANDINFOA as sent.
class TitleWatch {
  public:
    explicit TitleWatch(HWND rebar) : recorder_(rebarTraffic()) {
        EXPECT_TRUE(recorder_.attach(rebar));
        recorder_.before(rebar, RB_SETBANDINFOA, [this](const MessageRecord& record) {
            const auto* info = reinterpret_cast<const REBARBANDINFOA*>(record.lParam);
            written_.push_back(
                {record.wParam, *info,
                 (info->fMask & RBBIM_TEXT) && info->lpText != nullptr ? info->lpText : ""});
        });
    }
    std::vector<MessageRecord> records() const { return recorder_.records(); }
    const std::vector<Written>& written() const { return written_; }
    void clear() {
        recorder_.clear();
        written_.clear();
    }

  private:
    MessageRecorder recorder_;
    std::vector<Written> written_;
};

int width(const char* text) {
    return guiTextExtent(text).cx;
}

void hideTitleByHand(HWND rebar, UINT id, UINT cxHeader) {
    setBandStyle(rebar, id, bandById(rebar, id).fStyle | RBBS_HIDETITLE);
    setBandHeader(rebar, id, cxHeader);
}

void showTitleByHand(HWND rebar, UINT id, UINT cxHeader) {
    setBandStyle(rebar, id, bandById(rebar, id).fStyle & ~RBBS_HIDETITLE);
    setBandHeader(rebar, id, cxHeader);
}

void expectWrite(const Written& write, HWND rebar, UINT id, bool hidden, UINT cxHeader,
                 const std::string& text) {
    SCOPED_TRACE("write of band " + std::to_string(id));
    EXPECT_EQ(write.index, static_cast<WPARAM>(indexOfBand(rebar, id)));
    EXPECT_EQ(write.info.cbSize, sizeof(REBARBANDINFOA));
    EXPECT_EQ(write.info.fMask, kTitleMask);
    EXPECT_EQ(write.info.wID, id);
    EXPECT_EQ((write.info.fStyle & RBBS_HIDETITLE) != 0, hidden);
    EXPECT_EQ(write.info.cxHeader, cxHeader);
    EXPECT_EQ(write.text, text);
}

} // namespace

TEST(BandTitles, HidingGivesGripWidthsAndKeepsTheText) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    const Band addressBefore = bandById(rebar, kAddressBandId);
    ASSERT_EQ(addressBefore.text, "Address");
    ASSERT_FALSE(addressBefore.fStyle & RBBS_HIDETITLE);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 0);
    const std::vector<MessageRecord> walked = watch.records();
    ASSERT_EQ(watch.written().size(), 2u);
    expectWrite(watch.written()[0], rebar, kAddressBandId, true, 18, "Address");
    expectWrite(watch.written()[1], rebar, kLinksBandId, true, 8, "Links");
    // The rest of the record goes back as it was read.
    EXPECT_EQ(watch.written()[0].info.fStyle & ~(RBBS_HIDETITLE | kFixedHeaderBit),
              addressBefore.fStyle & ~kFixedHeaderBit);

    const Band address = bandById(rebar, kAddressBandId);
    const Band links = bandById(rebar, kLinksBandId);
    EXPECT_TRUE(address.fStyle & RBBS_HIDETITLE);
    EXPECT_EQ(address.cxHeader, 18u);
    EXPECT_EQ(address.text, "Address");
    EXPECT_TRUE(links.fStyle & RBBS_HIDETITLE);
    EXPECT_EQ(links.cxHeader, 8u);
    EXPECT_EQ(links.text, "Links");
    for (const MessageRecord& read : recordsOf(walked, RB_GETBANDINFOA)) {
        auto info = read.payloadAs<REBARBANDINFOA>();
        EXPECT_EQ(info.fMask, kTitleMask);
        EXPECT_EQ(info.cch, 4096u);
    }
}

TEST(BandTitles, ShowingMeasuresTheTitleInTheDefaultGuiFont) {
    standin::FrameOptions options = frameOptions("MTALG");
    std::strcpy(options.addressTitle, "Adresse Wq");
    std::strcpy(options.linksTitle, "Favourite Links");
    Frame frame(options);
    HWND rebar = frame->rebar;
    hideTitleByHand(rebar, kAddressBandId, 18);
    hideTitleByHand(rebar, kLinksBandId, 8);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 1);
    const int addressWidth = width("Adresse Wq");
    const int linksWidth = width("Favourite Links");
    ASSERT_GT(addressWidth, 0);
    ASSERT_NE(addressWidth, linksWidth);
    ASSERT_EQ(watch.written().size(), 2u);
    expectWrite(watch.written()[0], rebar, kAddressBandId, false, addressWidth + 24, "Adresse Wq");
    expectWrite(watch.written()[1], rebar, kLinksBandId, false, linksWidth, "Favourite Links");
    const Band address = bandById(rebar, kAddressBandId);
    EXPECT_FALSE(address.fStyle & RBBS_HIDETITLE);
    EXPECT_EQ(address.cxHeader, static_cast<UINT>(addressWidth + 24));
    EXPECT_EQ(bandById(rebar, kLinksBandId).cxHeader, static_cast<UINT>(linksWidth));
}

TEST(BandTitles, EmptyTitlesShowWithTheIconRoomOrNothing) {
    standin::FrameOptions options = frameOptions("MTALG");
    options.addressTitle[0] = '\0';
    options.linksTitle[0] = '\0';
    Frame frame(options);
    HWND rebar = frame->rebar;
    walkHeaders(frame->frame, 0);
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, 18u);
    EXPECT_EQ(bandById(rebar, kLinksBandId).cxHeader, 8u);

    TitleWatch watch(rebar);
    walkHeaders(frame->frame, 1);
    ASSERT_EQ(watch.written().size(), 2u);
    expectWrite(watch.written()[0], rebar, kAddressBandId, false, 24, "");
    expectWrite(watch.written()[1], rebar, kLinksBandId, false, 0, "");
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, 24u);
    EXPECT_EQ(bandById(rebar, kLinksBandId).cxHeader, 0u);
}

TEST(BandTitles, BandsWithOtherIdsAreNeverWritten) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    // Every other band has a title too, hidden in one pass and shown in the other.
    for (UINT id : {standin::kMenuBandId, standin::kToolbarBandId, standin::kLogoBandId}) {
        setBandText(rebar, id, "Other");
        hideTitleByHand(rebar, id, 31);
    }
    hideTitleByHand(rebar, kAddressBandId, 18);
    hideTitleByHand(rebar, kLinksBandId, 8);
    const int address = indexOfBand(rebar, kAddressBandId);
    const int links = indexOfBand(rebar, kLinksBandId);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 1);
    for (const Written& write : watch.written())
        EXPECT_TRUE(write.index == static_cast<WPARAM>(address) ||
                    write.index == static_cast<WPARAM>(links))
            << "band at index " << write.index << " was written";
    EXPECT_EQ(watch.written().size(), 2u);
    for (UINT id : {standin::kMenuBandId, standin::kToolbarBandId, standin::kLogoBandId}) {
        EXPECT_TRUE(bandById(rebar, id).fStyle & RBBS_HIDETITLE) << "band " << id;
        EXPECT_EQ(bandById(rebar, id).cxHeader, 31u) << "band " << id;
        showTitleByHand(rebar, id, 32);
    }

    watch.clear();
    walkHeaders(frame->frame, 0);
    EXPECT_EQ(watch.written().size(), 2u);
    for (const Written& write : watch.written())
        EXPECT_TRUE(write.index == static_cast<WPARAM>(address) ||
                    write.index == static_cast<WPARAM>(links));
    for (UINT id : {standin::kMenuBandId, standin::kToolbarBandId, standin::kLogoBandId}) {
        EXPECT_FALSE(bandById(rebar, id).fStyle & RBBS_HIDETITLE) << "band " << id;
        EXPECT_EQ(bandById(rebar, id).cxHeader, 32u) << "band " << id;
    }
}

TEST(BandTitles, EachToolbarInTheRebarGivesAPassAndOnlyTheFirstWrites) {
    Frame frame(frameOptions("TAL")); // two toolbars: the main one and the links
    HWND rebar = frame->rebar;
    ASSERT_EQ(GetParent(frame->mainToolbar), rebar);
    ASSERT_EQ(GetParent(frame->linksToolbar), rebar);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 0);
    EXPECT_TRUE(sequenceMatches(watch.records(), {
                                                     msg(RB_GETBANDCOUNT).on(rebar),
                                                     msg(RB_GETBANDINFOA).wparam(0),
                                                     msg(RB_GETBANDINFOA).wparam(1),
                                                     msg(RB_SETBANDINFOA).wparam(1),
                                                     msg(RB_GETBANDINFOA).wparam(2),
                                                     msg(RB_SETBANDINFOA).wparam(2),
                                                     msg(RB_GETBANDCOUNT).on(rebar),
                                                     msg(RB_GETBANDINFOA).wparam(0),
                                                     msg(RB_GETBANDINFOA).wparam(1),
                                                     msg(RB_GETBANDINFOA).wparam(2),
                                                 }));
}

TEST(BandTitles, TitleAlreadyAsAskedIsNotRewritten) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    showTitleByHand(rebar, kAddressBandId, 77); // not what a show would compute
    hideTitleByHand(rebar, kLinksBandId, 55);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 1);
    ASSERT_EQ(watch.written().size(), 1u);
    expectWrite(watch.written()[0], rebar, kLinksBandId, false, width("Links"), "Links");
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, 77u);

    hideTitleByHand(rebar, kAddressBandId, 33); // not what a hide would set
    showTitleByHand(rebar, kLinksBandId, 44);
    watch.clear();
    walkHeaders(frame->frame, 0);
    ASSERT_EQ(watch.written().size(), 1u);
    expectWrite(watch.written()[0], rebar, kLinksBandId, true, 8, "Links");
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, 33u);
}

TEST(BandTitles, HideThenShowRecomputesFromTheText) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    setBandHeader(rebar, kAddressBandId, 150);
    setBandHeader(rebar, kLinksBandId, 140);
    walkHeaders(frame->frame, 0);
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, 18u);
    EXPECT_EQ(bandById(rebar, kLinksBandId).cxHeader, 8u);
    setBandText(rebar, kLinksBandId, "Go");

    walkHeaders(frame->frame, 1);
    EXPECT_EQ(bandById(rebar, kAddressBandId).cxHeader, static_cast<UINT>(width("Address") + 24));
    EXPECT_EQ(bandById(rebar, kLinksBandId).cxHeader, static_cast<UINT>(width("Go")));
}

TEST(BandTitles, TitleLongerThanTheBufferIsReadAndWrittenBackShortened) {
    Frame frame(frameOptions("MTALG"));
    HWND rebar = frame->rebar;
    const std::string longTitle(5000, 'W');
    const std::string kept(4095, 'W');
    const std::string exact(4095, 'm');
    setBandText(rebar, kAddressBandId, longTitle.c_str());
    setBandText(rebar, kLinksBandId, exact.c_str());
    ASSERT_EQ(bandById(rebar, kAddressBandId).text, longTitle);
    hideTitleByHand(rebar, kAddressBandId, 18);
    hideTitleByHand(rebar, kLinksBandId, 8);
    TitleWatch watch(rebar);

    walkHeaders(frame->frame, 1);
    ASSERT_EQ(watch.written().size(), 2u);
    expectWrite(watch.written()[0], rebar, kAddressBandId, false, width(kept.c_str()) + 24, kept);
    expectWrite(watch.written()[1], rebar, kLinksBandId, false, width(exact.c_str()), exact);
    EXPECT_EQ(bandById(rebar, kAddressBandId).text, kept);
    EXPECT_EQ(bandById(rebar, kLinksBandId).text, exact) << "a title that fits stays whole";
}

TEST(MeasureTextWidth, MeasuresInTheDefaultGuiFont) {
    for (const char* text : {"Address", "Links", "iiii", "WWWW", "x"}) {
        SIZE mine = guiTextExtent(text);
        SIZE theirs{-1, -1};
        EXPECT_EQ(measureTextWidth(text, &theirs), mine.cx) << text;
        EXPECT_EQ(theirs.cx, mine.cx) << text;
        EXPECT_EQ(theirs.cy, mine.cy) << text;
        EXPECT_EQ(measureTextWidth(text, nullptr), mine.cx) << text;
    }
    EXPECT_NE(guiTextExtent("iiii").cx, guiTextExtent("WWWW").cx) << "a proportional font";
    EXPECT_EQ(measureTextWidth("", nullptr), 0);
}

TEST(MeasureTextWidth, NullTextMeasuresTheLetterA) {
    SIZE mine = guiTextExtent("A");
    ASSERT_GT(mine.cx, 0);
    SIZE theirs{-1, -1};
    EXPECT_EQ(measureTextWidth(nullptr, &theirs), mine.cx);
    EXPECT_EQ(theirs.cx, mine.cx);
    EXPECT_EQ(theirs.cy, mine.cy);
}

TEST(MeasureTextWidth, TextThatCannotBeReadMeasuresZero) {
    // A page that cannot be read: the text's length cannot even be taken.
    void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    ASSERT_NE(page, nullptr);
    SIZE theirs{-1, -1};
    EXPECT_EQ(measureTextWidth(static_cast<const char*>(page), &theirs), 0);
    EXPECT_EQ(theirs.cx, 0);
    VirtualFree(page, 0, MEM_RELEASE);
}
