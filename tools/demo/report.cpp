// Checks and report text of the demo.
#include "report.h"

#include <cstdio>

namespace demo {

namespace {

constexpr UINT kMenuBand = 1, kAddressBand = 3, kLinksBand = 4, kLogoBand = 5;
constexpr int kShownCentres = 8;
const char* const kStageNames[kStages] = {"before", "after", "restored"};

std::string format(const char* pattern, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

std::string colour(COLORREF c) {
    if (c == standin::kNoColor) return "-";
    return format("#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
}

bool hidden(const standin::BandRecord* band) {
    return band != nullptr && (band->fStyle & RBBS_HIDDEN) != 0;
}
bool titleHidden(const standin::BandRecord* band) {
    return band != nullptr && (band->fStyle & RBBS_HIDETITLE) != 0;
}

int dropdowns(const std::vector<standin::ButtonRecord>& buttons) {
    int count = 0;
    for (const auto& button : buttons)
        if (!(button.fsStyle & BTNS_SEP) && (button.fsStyle & BTNS_DROPDOWN)) ++count;
    return count;
}

std::string bandCell(const FrameState& state, UINT id) {
    const standin::BandRecord* band = findBand(state, id);
    if (band == nullptr) return "missing";
    return hidden(band) ? "hidden" : "shown";
}

std::string titleCell(const FrameState& state, UINT id) {
    const standin::BandRecord* band = findBand(state, id);
    if (band == nullptr) return "missing";
    return format("%s, header %u", titleHidden(band) ? "hidden" : "shown", band->cxHeader);
}

std::string listCell(const standin::ImageListInfo& info) {
    if (info.list == nullptr) return "none";
    return format("%d x %dx%d", info.count, info.cx, info.cy);
}

std::string centresCell(const standin::ImageListInfo& info) {
    std::string cell;
    for (int i = 0; i < info.described && i < kShownCentres; ++i) {
        if (i > 0) cell.push_back(' ');
        cell.append(colour(info.centre[i]));
    }
    return cell.empty() ? "-" : cell;
}

std::string row(const std::string& name, const std::string (&cells)[kStages]) {
    return format("  %-24s %-22s %-22s %s\n", name.c_str(), cells[0].c_str(), cells[1].c_str(),
                  cells[2].c_str());
}

template <class F>
std::string rowOf(const std::string& name, const FrameRecord& record, F cell) {
    const std::string cells[kStages] = {cell(record.states[kBefore]), cell(record.states[kAfter]),
                                        cell(record.states[kRestored])};
    return row(name, cells);
}

std::string differences(const std::vector<RegionDifference>& list) {
    std::string text;
    for (const RegionDifference& d : list)
        text += format("%s%s %ld of %ld", text.empty() ? "" : ", ", d.name.c_str(), d.differing,
                       d.total);
    return text;
}

void checkBand(std::vector<std::string>& problems, const FrameState& state, UINT id,
               const char* name, bool wantHidden, const char* stage) {
    const standin::BandRecord* band = findBand(state, id);
    if (band == nullptr)
        problems.push_back(format("%s: the %s band is missing", stage, name));
    else if (hidden(band) != wantHidden)
        problems.push_back(format("%s: the %s band is %s, expected %s", stage, name,
                                  hidden(band) ? "hidden" : "shown",
                                  wantHidden ? "hidden" : "shown"));
}

void checkTitle(std::vector<std::string>& problems, const FrameState& state, UINT id,
                bool wantHidden, const char* stage) {
    const standin::BandRecord* band = findBand(state, id);
    if (band == nullptr)
        problems.push_back(format("%s: band %u is missing", stage, id));
    else if (titleHidden(band) != wantHidden)
        problems.push_back(format("%s: band %u's title is %s, expected %s", stage, id,
                                  titleHidden(band) ? "hidden" : "shown",
                                  wantHidden ? "hidden" : "shown"));
}

void checkIcons(std::vector<std::string>& problems, const standin::ImageListInfo& info,
                const COLORREF (&expected)[standin::wire::kIconFileSlots], const char* which) {
    if (info.list == nullptr) {
        problems.push_back(format("after: the toolbar has no %s image list", which));
        return;
    }
    for (int i = 0; i < info.described && i < standin::wire::kIconFileSlots; ++i) {
        if (expected[i] == standin::kNoColor) continue;
        if (info.centre[i] != expected[i])
            problems.push_back(format("after: %s image %d shows %s, the icon has %s", which, i,
                                      colour(info.centre[i]).c_str(), colour(expected[i]).c_str()));
    }
}

void checkSameList(std::vector<std::string>& problems, const standin::ImageListInfo& before,
                   const standin::ImageListInfo& restored, const char* which) {
    if (before.count != restored.count || before.cx != restored.cx || before.cy != restored.cy) {
        problems.push_back(format("restored: the %s image list is %s, it was %s", which,
                                  listCell(restored).c_str(), listCell(before).c_str()));
        return;
    }
    for (int i = 0; i < before.described && i < restored.described; ++i)
        if (before.centre[i] != restored.centre[i])
            problems.push_back(format("restored: %s image %d shows %s, natively %s", which, i,
                                      colour(restored.centre[i]).c_str(),
                                      colour(before.centre[i]).c_str()));
}

} // namespace

std::vector<Region> changingRegions(const FrameState& a, const FrameState& b, int dx, int dy) {
    return {{"rebar", shift(unite(a.rebar, b.rebar), dx, dy)},
            {"toolbar", shift(unite(a.toolbar, b.toolbar), dx, dy)}};
}

std::string buttonLetters(const std::vector<standin::ButtonRecord>& buttons) {
    std::string letters;
    for (const auto& button : buttons) {
        const BYTE style = button.fsStyle;
        char letter = 'B';
        if (style & BTNS_SEP)
            letter = 'S';
        else if (style & BTNS_WHOLEDROPDOWN)
            letter = 'W';
        else if ((style & BTNS_DROPDOWN) && (style & BTNS_AUTOSIZE))
            letter = 'A';
        else if (style & BTNS_DROPDOWN)
            letter = 'D';
        else if (style & BTNS_AUTOSIZE)
            letter = 'P';
        letters += letter;
    }
    return letters;
}

std::vector<std::string> checkFrame(const FrameRecord& record) {
    std::vector<std::string> problems;
    const FrameState& before = record.states[kBefore];
    const FrameState& after = record.states[kAfter];
    const FrameState& restored = record.states[kRestored];
    const tarvikctl::FrameOptions& wanted = record.wanted;

    checkBand(problems, after, kLogoBand, "logo", wanted.hideLogo, "after");
    checkBand(problems, after, kMenuBand, "menu", wanted.hideMenu, "after");
    checkTitle(problems, after, kAddressBand, wanted.hideTitles, "after");
    checkTitle(problems, after, kLinksBand, wanted.hideTitles, "after");
    const int arrowsBefore = dropdowns(before.buttons);
    const int arrowsAfter = dropdowns(after.buttons);
    if (wanted.hideDropdowns ? arrowsAfter != 0 : arrowsAfter != arrowsBefore)
        problems.push_back(format("after: %d drop-down buttons, expected %d", arrowsAfter,
                                  wanted.hideDropdowns ? 0 : arrowsBefore));
    if (record.icons.given) {
        checkIcons(problems, after.normal, record.icons.normal, "normal");
        checkIcons(problems, after.hot, record.icons.hot, "hot");
    }

    // Restored: every band, title, arrow and image as it was.
    for (const standin::BandRecord& band : before.bands) {
        const standin::BandRecord* now = findBand(restored, band.wID);
        if (now == nullptr) {
            problems.push_back(format("restored: band %u is gone", band.wID));
            continue;
        }
        if (hidden(now) != hidden(&band))
            problems.push_back(format("restored: band %u is %s, it was %s", band.wID,
                                      hidden(now) ? "hidden" : "shown",
                                      hidden(&band) ? "hidden" : "shown"));
        if (titleHidden(now) != titleHidden(&band))
            problems.push_back(format("restored: band %u's title is %s, it was %s", band.wID,
                                      titleHidden(now) ? "hidden" : "shown",
                                      titleHidden(&band) ? "hidden" : "shown"));
    }
    if (restored.buttons.size() != before.buttons.size()) {
        problems.push_back("restored: the toolbar has another number of buttons");
    } else {
        for (std::size_t i = 0; i < before.buttons.size(); ++i)
            if ((before.buttons[i].fsStyle ^ restored.buttons[i].fsStyle) & BTNS_DROPDOWN)
                problems.push_back(format("restored: button %zu's drop-down arrow differs", i));
    }
    checkSameList(problems, before.normal, restored.normal, "normal");
    checkSameList(problems, before.hot, restored.hot, "hot");

    for (const std::string& problem : unchangedRegions(record.changed, kMinChangedPixels))
        problems.push_back("after, picture unchanged: " + problem);
    for (const std::string& problem : unchangedRegions(record.undone, kMinChangedPixels))
        problems.push_back("restored, picture not undone: " + problem);
    return problems;
}

std::string formatFrame(const FrameRecord& record) {
    const tarvikctl::FrameOptions& w = record.wanted;
    auto yes = [](bool b) { return b ? "yes" : "no"; };
    std::string text = "== " + record.frame->label + " ==\n";
    text += format("settings: hide logo %s, hide menu %s, hide titles %s, hide drop-downs %s\n",
                   yes(w.hideLogo), yes(w.hideMenu), yes(w.hideTitles), yes(w.hideDropdowns));
    const std::string head[kStages] = {kStageNames[0], kStageNames[1], kStageNames[2]};
    text += row("", head);
    text +=
        rowOf("band 1 (menu)", record, [](const FrameState& s) { return bandCell(s, kMenuBand); });
    text +=
        rowOf("band 5 (logo)", record, [](const FrameState& s) { return bandCell(s, kLogoBand); });
    text += rowOf("band 3 title", record,
                  [](const FrameState& s) { return titleCell(s, kAddressBand); });
    text +=
        rowOf("band 4 title", record, [](const FrameState& s) { return titleCell(s, kLinksBand); });
    text += rowOf("button styles", record,
                  [](const FrameState& s) { return buttonLetters(s.buttons); });
    text += rowOf("drop-down buttons", record,
                  [](const FrameState& s) { return std::to_string(dropdowns(s.buttons)); });
    text += rowOf("image list", record, [](const FrameState& s) { return listCell(s.normal); });
    text += rowOf("hot image list", record, [](const FrameState& s) { return listCell(s.hot); });
    for (const bool hot : {false, true}) {
        text += format("  %s image centres 0..%d:\n", hot ? "hot" : "normal", kShownCentres - 1);
        for (int stage = 0; stage < kStages; ++stage) {
            const FrameState& s = record.states[stage];
            text += format("    %-10s %s\n", kStageNames[stage],
                           centresCell(hot ? s.hot : s.normal).c_str());
        }
    }
    text += "  pixels differing, after vs before:    " + differences(record.changed) + "\n";
    text += "  pixels differing, restored vs after:  " + differences(record.undone) + "\n";
    text += "  pixels differing, restored vs before: " + differences(record.leftover) + "\n";
    return text;
}

} // namespace demo
