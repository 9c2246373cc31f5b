// setPopupMenuItem on this process's copy of the shared block: what it stores,
// how it bounds counts and captions, and that no byte beyond its fields moves.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "core_menu_fixture.h"
#include "shared_block_bytes.h"

namespace menu_test {
namespace {

using PopupConfig = CoreMenuTest;

constexpr unsigned char kPattern = 0xA5;

// Ranges an enabling call may write for entries [0, stored) with these ids.
std::vector<ByteRange> enablingWrites(const int* ids, int stored) {
    std::vector<ByteRange> allowed{enabledField(), countField(), titleField(), menuBarField()};
    for (int i = 0; i < stored; ++i) {
        allowed.push_back(idSlot(i));
        if (ids[i] >= 0) allowed.push_back(textSlot(i));
    }
    return allowed;
}

TEST_F(PopupConfig, StoresTitleEntriesAndMenuBarCaption) {
    fillBlock(sharedState, kPattern);
    const SharedState before = sharedState;
    const int ids[] = {100, -1, 101};
    const char* const texts[] = {"Open", "ignored", "Close"};
    setPopupMenuItem("Tools", ids, texts, 3, "Menu bar");

    EXPECT_EQ(sharedState.popupEnabled, 1);
    EXPECT_EQ(sharedState.popupItemCount, 3);
    EXPECT_EQ(captionOf(sharedState.popupTitle), "Tools");
    EXPECT_EQ(captionOf(sharedState.menuBarItemText), "Menu bar");
    EXPECT_EQ(sharedState.popupItemIds[0], 100);
    EXPECT_EQ(sharedState.popupItemIds[1], -1);
    EXPECT_EQ(sharedState.popupItemIds[2], 101);
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[0]), "Open");
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[2]), "Close");
    // The separator's text slot and the unused entries keep their bytes.
    EXPECT_EQ(changesOutside(before, sharedState, enablingWrites(ids, 3)), "");
}

TEST_F(PopupConfig, StoresAtMostEightEntries) {
    fillBlock(sharedState, kPattern);
    const SharedState before = sharedState;
    int ids[20];
    std::string captions[20];
    const char* texts[20];
    for (int i = 0; i < 20; ++i) {
        ids[i] = 200 + i;
        captions[i] = "entry " + std::to_string(i);
        texts[i] = captions[i].c_str();
    }
    setPopupMenuItem("Twenty", ids, texts, 20, "Bar");

    EXPECT_EQ(sharedState.popupItemCount, kPopupItems);
    EXPECT_EQ(sharedState.popupEnabled, 1);
    for (int i = 0; i < kPopupItems; ++i) {
        EXPECT_EQ(sharedState.popupItemIds[i], 200 + i);
        EXPECT_EQ(captionOf(sharedState.popupItemTexts[i]), captions[i]);
    }
    // Entry 8 would land on menuBarItemText and beyond.
    EXPECT_EQ(captionOf(sharedState.menuBarItemText), "Bar");
    EXPECT_EQ(changesOutside(before, sharedState, enablingWrites(ids, kPopupItems)), "");
}

TEST_F(PopupConfig, LongCaptionsAreCutTo31BytesAndTerminated) {
    fillBlock(sharedState, kPattern);
    const SharedState before = sharedState;
    const std::string hundred(100, 'x');
    const std::string exact(31, 'y');
    const std::string oneOver(32, 'z');
    const int ids[] = {1, 2, 3};
    const char* const texts[] = {hundred.c_str(), exact.c_str(), oneOver.c_str()};
    setPopupMenuItem(hundred.c_str(), ids, texts, 3, oneOver.c_str());

    EXPECT_EQ(captionOf(sharedState.popupTitle), hundred.substr(0, 31));
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[0]), hundred.substr(0, 31));
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[1]), exact);
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[2]), oneOver.substr(0, 31));
    EXPECT_EQ(captionOf(sharedState.menuBarItemText), oneOver.substr(0, 31));
    EXPECT_EQ(changesOutside(before, sharedState, enablingWrites(ids, 3)), "");
}

TEST_F(PopupConfig, NullCaptionsAreStoredEmpty) {
    fillBlock(sharedState, kPattern);
    const int ids[] = {7, -2, 8};
    const char* const texts[] = {nullptr, nullptr, "Eight"};
    setPopupMenuItem("Title", ids, texts, 3, nullptr);

    EXPECT_EQ(sharedState.popupEnabled, 1);
    EXPECT_EQ(captionOf(sharedState.menuBarItemText), "");
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[0]), "");
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[2]), "Eight");
    EXPECT_EQ(sharedState.popupItemTexts[1][0], static_cast<char>(kPattern))
        << "a separator's caption is not read, its slot not written";
}

TEST_F(PopupConfig, DisablingCallsClearCountAndFlagAndKeepCaptions) {
    const int ids[] = {1, 2};
    const char* const texts[] = {"One", "Two"};
    for (int nulls = 1; nulls < 8; ++nulls) {
        const char* title = (nulls & 1) != 0 ? nullptr : "Title";
        const int* idsArg = (nulls & 2) != 0 ? nullptr : ids;
        const char* const* textsArg = (nulls & 4) != 0 ? nullptr : texts;
        SCOPED_TRACE("title " + std::string(title ? "set" : "null") + ", ids " +
                     (idsArg ? "set" : "null") + ", texts " + (textsArg ? "set" : "null"));
        fillBlock(sharedState, kPattern);
        setPopupMenuItem("Tools", ids, texts, 2, "Menu bar");
        ASSERT_EQ(sharedState.popupEnabled, 1);
        const SharedState before = sharedState;

        setPopupMenuItem(title, idsArg, textsArg, 20, "ignored");
        EXPECT_EQ(sharedState.popupItemCount, 0);
        EXPECT_EQ(sharedState.popupEnabled, 0);
        EXPECT_EQ(changesOutside(before, sharedState, {countField(), enabledField()}), "");
        EXPECT_EQ(captionOf(sharedState.popupTitle), "Tools");
        EXPECT_EQ(captionOf(sharedState.popupItemTexts[1]), "Two");
        EXPECT_EQ(captionOf(sharedState.menuBarItemText), "Menu bar");
    }
}

TEST_F(PopupConfig, NoCombinationOfBadInputWritesBeyondItsFields) {
    const std::string hundred(100, 'q');
    int ids[20];
    const char* texts[20];
    for (int i = 0; i < 20; ++i) {
        ids[i] = i % 3 == 1 ? -i : 300 + i;
        texts[i] = hundred.c_str();
    }
    // Bits: title, ids, texts, menu-bar text, and entry 0's caption null.
    for (int nulls = 0; nulls < 32; ++nulls) {
        SCOPED_TRACE("null mask " + std::to_string(nulls));
        texts[0] = (nulls & 16) != 0 ? nullptr : hundred.c_str();
        const char* title = (nulls & 1) != 0 ? nullptr : hundred.c_str();
        const int* idsArg = (nulls & 2) != 0 ? nullptr : ids;
        const char* const* textsArg = (nulls & 4) != 0 ? nullptr : texts;
        const char* menuBar = (nulls & 8) != 0 ? nullptr : hundred.c_str();
        fillBlock(sharedState, kPattern);
        const SharedState before = sharedState;

        setPopupMenuItem(title, idsArg, textsArg, 20, menuBar);

        const bool disabling = (nulls & 7) != 0;
        const std::vector<ByteRange> allowed = disabling ? std::vector{countField(), enabledField()}
                                                         : enablingWrites(ids, kPopupItems);
        EXPECT_EQ(changesOutside(before, sharedState, allowed), "");
        EXPECT_EQ(sharedState.popupEnabled, disabling ? 0 : 1);
        EXPECT_EQ(sharedState.popupItemCount, disabling ? 0 : kPopupItems);
        if (disabling) continue;
        EXPECT_EQ(captionOf(sharedState.popupTitle), hundred.substr(0, 31));
        EXPECT_EQ(captionOf(sharedState.menuBarItemText),
                  (nulls & 8) != 0 ? "" : hundred.substr(0, 31));
        EXPECT_EQ(captionOf(sharedState.popupItemTexts[0]),
                  (nulls & 16) != 0 ? "" : hundred.substr(0, 31));
        for (int i = 1; i < kPopupItems; ++i)
            if (ids[i] >= 0) {
                EXPECT_EQ(captionOf(sharedState.popupItemTexts[i]).size(), 31u);
            }
    }
}

TEST_F(PopupConfig, CountOfZeroOrLessEnablesWithoutEntries) {
    for (int count : {0, -5}) {
        SCOPED_TRACE("itemCount " + std::to_string(count));
        fillBlock(sharedState, kPattern);
        const SharedState before = sharedState;
        const int ids[] = {1};
        const char* const texts[] = {"One"};
        setPopupMenuItem("Title", ids, texts, count, "Bar");
        EXPECT_EQ(sharedState.popupEnabled, 1);
        EXPECT_LE(sharedState.popupItemCount, 0);
        EXPECT_EQ(changesOutside(before, sharedState,
                                 {enabledField(), countField(), titleField(), menuBarField()}),
                  "");
    }
}

} // namespace
} // namespace menu_test
