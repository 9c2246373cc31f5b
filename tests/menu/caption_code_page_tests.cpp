// Captions under the double-byte ANSI code page 932: a character whose trail
// byte would not fit in the 31 bytes is left out whole, never split.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "core_menu_fixture.h"
#include "cursor.h"
#include "menu_readback.h"
#include "shared_block_bytes.h"

namespace menu_test {

using tarvik::test::putCursorOver;

namespace {

using CodePage932 = CoreMenuTest;

// HIRAGANA LETTER A in Shift-JIS: lead byte 0x82, trail byte 0xA0.
const std::string kWide = "\x82\xA0";
// HALFWIDTH KATAKANA LETTER A: one byte, and no lead byte.
const std::string kNarrow = "\xB1";

std::string stored(const std::string& text) {
    const int ids[] = {1};
    const char* const texts[] = {text.c_str()};
    setPopupMenuItem(text.c_str(), ids, texts, 1, text.c_str());
    const std::string title = captionOf(sharedState.popupTitle);
    EXPECT_EQ(captionOf(sharedState.popupItemTexts[0]), title);
    EXPECT_EQ(captionOf(sharedState.menuBarItemText), title);
    return title;
}

TEST_F(CodePage932, DoubleByteCharacterIsNeverSplit) {
    ASSERT_EQ(GetACP(), 932u) << "this program must run with LC_ALL=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByte(0x82));

    // The character would take bytes 30 and 31: it is left out.
    EXPECT_EQ(stored(std::string(30, 'a') + kWide), std::string(30, 'a'));
    // Bytes 29 and 30: it fits.
    EXPECT_EQ(stored(std::string(29, 'a') + kWide), std::string(29, 'a') + kWide);
    // Sixteen of them are 32 bytes: fifteen stay.
    std::string sixteen, fifteen;
    for (int i = 0; i < 16; ++i)
        sixteen += kWide;
    fifteen = sixteen.substr(0, 30);
    EXPECT_EQ(stored(sixteen), fifteen);
    // Single-byte katakana are cut like any single byte.
    EXPECT_EQ(stored(std::string(30, 'a') + kNarrow + kNarrow), std::string(30, 'a') + kNarrow);
    // A lead byte with nothing after it is one byte.
    EXPECT_EQ(stored(std::string(30, 'a') + "\x82"), std::string(30, 'a') + "\x82");
}

TEST_F(CodePage932, DoubleByteCaptionsReachTheMenuWhole) {
    ASSERT_EQ(GetACP(), 932u) << "this program must run with LC_ALL=ja_JP.UTF-8";
    const auto frame = openFrame();
    std::string sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += kWide;
    const int ids[] = {9};
    const char* const texts[] = {sixteen.c_str()};
    setPopupMenuItem(sixteen.c_str(), ids, texts, 1, "Bar");
    ASSERT_TRUE(putCursorOver(frame.mainToolbar));
    HMENU popup = makeToolbarMenu();
    const std::string before = describeMenu(popup);
    initMenuPopup(frame.worker, popup);
    const std::string fifteen = sixteen.substr(0, 30);
    EXPECT_EQ(describeMenu(popup), before + " | --- | \"" + fifteen + "\"{\"" + fifteen + "\"=9}");
    DestroyMenu(popup);
}

} // namespace
} // namespace menu_test
