// GoogleTest form of the sequence matcher: EXPECT_TRUE(sequenceMatches(...)) prints
// both sequences on failure. Header-only so that the support library needs no gtest.
#pragma once

#include <gtest/gtest.h>
#include "sequence.h"

namespace tarvik::test {

inline ::testing::AssertionResult sequenceMatches(const std::vector<MessageRecord>& recorded,
                                                  const std::vector<Expected>& expected,
                                                  MatchMode mode = MatchMode::Exact,
                                                  const WindowNames& names = {}) {
    SequenceMatch match = matchSequence(recorded, expected, mode, names);
    if (match) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << match.report;
}

} // namespace tarvik::test
