// The --icon-handles file: handle numbers by slot in hex or decimal, optional
// sizes, and errors naming the file, the line and the problem.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

#include "icon_handles.h"

using namespace tarvikctl;

namespace {

TEST(IconHandleFile, GivesHandlesBySlot) {
    const std::string text = "# made by the frames' process\r\n"
                             "large-size 32\n"
                             "icon 0 0x1A2b 0x10 123 0\n"
                             "\ticon  63\t1 2 3 4  \n"
                             "\n";
    const IconHandlesResult result = parseIconHandles(text, "h.txt", UINT32_MAX);
    ASSERT_TRUE(result.ok) << result.error;
    const IconHandles& h = result.handles;
    EXPECT_EQ(h.large[0], 0x1A2Bu);
    EXPECT_EQ(h.largeHot[0], 0x10u);
    EXPECT_EQ(h.small[0], 123u);
    EXPECT_EQ(h.smallHot[0], 0u);
    EXPECT_EQ(h.large[63], 1u);
    EXPECT_EQ(h.smallHot[63], 4u);
    EXPECT_EQ(h.large[1], 0u);
    EXPECT_EQ(h.largeSize, 32);
    EXPECT_EQ(h.smallSize, 0) << "not given";

    const IconHandlesResult wide =
        parseIconHandles("icon 1 0xFFFFFFFFFFFFFFFF 0 0 0\n", "h.txt", UINT64_MAX);
    ASSERT_TRUE(wide.ok) << wide.error;
    EXPECT_EQ(wide.handles.large[1], UINT64_MAX);
}

TEST(IconHandleFile, ErrorsNameFileLineAndProblem) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"icon 64 1 2 3 4\n", "h.txt:1: '64' is not a slot 0..63"},
        {"icon -1 1 2 3 4\n", "h.txt:1: '-1' is not a slot 0..63"},
        {"icon 1 1 2 3\n",
         "h.txt:1: expected 'icon <slot> <large> <large-hot> <small> <small-hot>'"},
        {"icon 1 1 2 3 4 5\n", "h.txt:1: expected 'icon <slot>"},
        {"\nicon 1 0x 2 3 4\n", "h.txt:2: '0x' is not a handle value"},
        {"icon 1 1 2 3 0x100000000\n", "h.txt:1: '0x100000000' is not a handle value"},
        {"icon 1 1 2 3 4294967296\n", "h.txt:1: '4294967296' is not a handle value"},
        {"icon 1 1 2 3 12z\n", "h.txt:1: '12z' is not a handle value"},
        {"icon 2 1 1 1 1\n# x\nicon 2 1 1 1 1\n", "h.txt:3: slot 2 given twice (first on line 1)"},
        {"large-size 0\nicon 1 1 1 1 1\n", "h.txt:1: '0' is not a size 1..256"},
        {"small-size 300\n", "h.txt:1: '300' is not a size 1..256"},
        {"small-size\n", "h.txt:1: small-size takes one number"},
        {"large-size 8\nlarge-size 8\n", "h.txt:2: large-size given twice"},
        {"slot 1 1 1 1 1\n",
         "h.txt:1: unknown statement 'slot'; known: icon, large-size, small-size"},
        {"icon 1 1 1 1 1\x02\n", "h.txt:1: control character"},
        {"# nothing\n", "h.txt: no icon lines"},
        {"", "h.txt: no icon lines"},
    };
    for (const Case& c : cases) {
        const IconHandlesResult result = parseIconHandles(c.text, "h.txt", UINT32_MAX);
        EXPECT_FALSE(result.ok) << c.text;
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u)
            << "for " << c.text << "expected " << c.error << "\ngot " << result.error;
    }
}

} // namespace
