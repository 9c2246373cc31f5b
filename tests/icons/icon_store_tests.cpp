// setIcons_EXPIE and setSmallIcons_EXPIE: what a controller's tables, counts,
// sizes and null tables leave in the shared block, and that no count writes past
// the 64-entry tables. Made-up handle values: nothing here draws them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>
#include "TarvikToolBar.h"
#include "core_bench.h"
#include "state/shared_state.h"

using namespace icontest;

namespace {

// Distinct fake handles: base + i.
std::vector<HICON> handles(std::uintptr_t base, int count) {
    std::vector<HICON> table;
    for (int i = 0; i < count; ++i)
        table.push_back(reinterpret_cast<HICON>(base + i));
    return table;
}

const HICON kSentinel = reinterpret_cast<HICON>(0x5e5e);
const HIMAGELIST kSentinelList = reinterpret_cast<HIMAGELIST>(0x5e5f);

void fillWithSentinels() {
    for (int i = 0; i < kIconSlots; ++i) {
        sharedState.largeIcons[i] = kSentinel;
        sharedState.largeHotIcons[i] = kSentinel;
        sharedState.smallIcons[i] = kSentinel;
        sharedState.smallHotIcons[i] = kSentinel;
    }
    sharedState.explorerLargeList = kSentinelList;
    sharedState.explorerLargeHotList = kSentinelList;
    sharedState.ieLargeList = kSentinelList;
}

} // namespace

TEST(IconStore, CountsAboveSixtyFourFillTheTablesAndNothingBeyond) {
    fillWithSentinels();
    const std::vector<HICON> normal = handles(0x10000, 100);
    const std::vector<HICON> hot = handles(0x20000, 100);
    setIcons_EXPIE(normal.data(), hot.data(), 100, 30);
    for (int i = 0; i < kIconSlots; ++i) {
        ASSERT_EQ(sharedState.largeIcons[i], normal[i]) << i;
        ASSERT_EQ(sharedState.largeHotIcons[i], hot[i]) << i;
        // The next table in the block: an unbounded copy would run into it.
        ASSERT_EQ(sharedState.smallIcons[i], kSentinel) << i;
    }
    EXPECT_EQ(sharedState.largeIconSize, 30);

    const std::vector<HICON> small = handles(0x30000, 100);
    const std::vector<HICON> smallHot = handles(0x40000, 100);
    setSmallIcons_EXPIE(small.data(), smallHot.data(), 1000, 18);
    for (int i = 0; i < kIconSlots; ++i) {
        ASSERT_EQ(sharedState.smallIcons[i], small[i]) << i;
        ASSERT_EQ(sharedState.smallHotIcons[i], smallHot[i]) << i;
    }
    // The captured lists follow smallHotIcons in the block.
    EXPECT_EQ(sharedState.explorerLargeList, kSentinelList);
    EXPECT_EQ(sharedState.explorerLargeHotList, kSentinelList);
    EXPECT_EQ(sharedState.ieLargeList, kSentinelList);
    EXPECT_EQ(sharedState.smallIconSize, 18);

    // Null tables with a huge count copy the large tables, still bounded.
    setSmallIcons_EXPIE(nullptr, nullptr, 0x7fffffff, 20);
    for (int i = 0; i < kIconSlots; ++i)
        ASSERT_EQ(sharedState.smallIcons[i], normal[i]) << i;
    EXPECT_EQ(sharedState.explorerLargeList, kSentinelList);
}

TEST(IconStore, ZeroOrNegativeCountsStoreOnlyTheSize) {
    fillWithSentinels();
    const std::vector<HICON> normal = handles(0x10000, 4);
    setIcons_EXPIE(normal.data(), normal.data(), 0, 40);
    EXPECT_EQ(sharedState.largeIconSize, 40);
    setIcons_EXPIE(normal.data(), normal.data(), -5, 41);
    EXPECT_EQ(sharedState.largeIconSize, 41);
    setIcons_EXPIE(normal.data(), normal.data(), INT_MIN, 42);
    EXPECT_EQ(sharedState.largeIconSize, 42);
    setSmallIcons_EXPIE(normal.data(), nullptr, -1, 12);
    EXPECT_EQ(sharedState.smallIconSize, 12);
    setSmallIcons_EXPIE(nullptr, normal.data(), 0, 13);
    EXPECT_EQ(sharedState.smallIconSize, 13);
    for (int i = 0; i < kIconSlots; ++i) {
        ASSERT_EQ(sharedState.largeIcons[i], kSentinel) << i;
        ASSERT_EQ(sharedState.largeHotIcons[i], kSentinel) << i;
        ASSERT_EQ(sharedState.smallIcons[i], kSentinel) << i;
        ASSERT_EQ(sharedState.smallHotIcons[i], kSentinel) << i;
    }
}

TEST(IconStore, NullLargeTableKeepsItsEntries) {
    const std::vector<HICON> first = handles(0x10000, 6);
    const std::vector<HICON> second = handles(0x20000, 6);
    setIcons_EXPIE(first.data(), first.data(), 6, 24);
    setIcons_EXPIE(nullptr, second.data(), 6, 28);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(sharedState.largeIcons[i], first[i]) << i;
        EXPECT_EQ(sharedState.largeHotIcons[i], second[i]) << i;
    }
    setIcons_EXPIE(second.data(), nullptr, 6, 29);
    setIcons_EXPIE(nullptr, nullptr, 64, 32);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(sharedState.largeIcons[i], second[i]) << i;
        EXPECT_EQ(sharedState.largeHotIcons[i], second[i]) << i;
    }
    EXPECT_EQ(sharedState.largeIcons[6], nullptr);
    EXPECT_EQ(sharedState.largeIconSize, 32);
}

TEST(IconStore, NullSmallTablesCopyTheLargeEntriesAsStoredAtThatMoment) {
    const std::vector<HICON> large = handles(0x10000, 8);
    const std::vector<HICON> largeHot = handles(0x20000, 8);
    const std::vector<HICON> own = handles(0x30000, 8);
    setIcons_EXPIE(large.data(), largeHot.data(), 8, 24);

    setSmallIcons_EXPIE(nullptr, nullptr, 5, 16);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(sharedState.smallIcons[i], large[i]) << i;
        EXPECT_EQ(sharedState.smallHotIcons[i], largeHot[i]) << i;
    }
    // Entries from count on keep what they held (null after a fresh start).
    EXPECT_EQ(sharedState.smallIcons[5], nullptr);
    EXPECT_EQ(sharedState.smallHotIcons[7], nullptr);

    // A later large set leaves the copies alone.
    setIcons_EXPIE(own.data(), own.data(), 8, 24);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sharedState.smallIcons[i], large[i]) << i;

    // One table given, the other copied from the large one as it is now.
    setSmallIcons_EXPIE(largeHot.data(), nullptr, 3, 16);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sharedState.smallIcons[i], largeHot[i]) << i;
        EXPECT_EQ(sharedState.smallHotIcons[i], own[i]) << i;
    }
    EXPECT_EQ(sharedState.smallHotIcons[3], largeHot[3]);
}
