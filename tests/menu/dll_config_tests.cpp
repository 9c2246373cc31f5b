// setPopupMenuItem through the real DLL's export, on its shared block: bad
// input moves no byte outside the configuration's fields.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "library_under_test.h"
#include "shared_block_bytes.h"

namespace menu_test {
namespace {

TEST(DllPopupConfig, BadInputStaysInsideItsFields) {
    LibraryUnderTest library;
    std::string error;
    ASSERT_TRUE(library.load(&error)) << error;
    SharedState& block = *library.shared;

    const std::string hundred(100, 'w');
    int ids[20];
    const char* texts[20];
    for (int i = 0; i < 20; ++i) {
        ids[i] = i == 3 ? -1 : 500 + i;
        texts[i] = i == 5 ? nullptr : hundred.c_str();
    }
    fillBlock(block, 0x5A);
    SharedState before = block;
    library.setPopupMenuItem(hundred.c_str(), ids, texts, 20, nullptr);
    std::vector<ByteRange> allowed{enabledField(), countField(), titleField(), menuBarField()};
    for (int i = 0; i < kPopupItems; ++i) {
        allowed.push_back(idSlot(i));
        if (i != 3) allowed.push_back(textSlot(i));
    }
    EXPECT_EQ(changesOutside(before, block, allowed), "");
    EXPECT_EQ(block.popupEnabled, 1);
    EXPECT_EQ(block.popupItemCount, kPopupItems);
    EXPECT_EQ(captionOf(block.popupTitle), hundred.substr(0, 31));
    EXPECT_EQ(captionOf(block.menuBarItemText), "");
    EXPECT_EQ(captionOf(block.popupItemTexts[0]), hundred.substr(0, 31));
    EXPECT_EQ(captionOf(block.popupItemTexts[5]), "");
    EXPECT_EQ(block.popupItemIds[7], 507);

    // Every disabling combination: only the count and the flag change.
    for (int nulls = 1; nulls < 8; ++nulls) {
        SCOPED_TRACE("null mask " + std::to_string(nulls));
        library.setPopupMenuItem(hundred.c_str(), ids, texts, 20, "Bar");
        before = block;
        library.setPopupMenuItem((nulls & 1) != 0 ? nullptr : "T", (nulls & 2) != 0 ? nullptr : ids,
                                 (nulls & 4) != 0 ? nullptr : texts, 20, nullptr);
        EXPECT_EQ(block.popupItemCount, 0);
        EXPECT_EQ(block.popupEnabled, 0);
        EXPECT_EQ(changesOutside(before, block, {countField(), enabledField()}), "");
        EXPECT_EQ(captionOf(block.menuBarItemText), "Bar");
    }
}

} // namespace
} // namespace menu_test
