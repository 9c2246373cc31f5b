// Byte-level checks of the shared block around the context-menu configuration:
// which bytes a store may change, and what a caption field holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>
#include "state/shared_state.h"

namespace menu_test {

struct ByteRange {
    std::size_t offset;
    std::size_t size;
};

// The ranges a configuring call may write: the flag, the count, the title, the
// menu-bar caption, and the id and caption of the given entries.
ByteRange enabledField();
ByteRange countField();
ByteRange titleField();
ByteRange menuBarField();
ByteRange idSlot(int entry);
ByteRange textSlot(int entry);

// Every byte of the block set to `pattern`.
void fillBlock(SharedState& block, unsigned char pattern);

// Describes each byte that differs between the two blocks outside `allowed`;
// empty when every other byte is as it was.
std::string changesOutside(const SharedState& before, const SharedState& after,
                           const std::vector<ByteRange>& allowed);

// The text of a caption field up to its terminator; "<unterminated>" when the
// field's 32 bytes hold no zero.
std::string captionOf(const char (&field)[kCaptionBytes]);

} // namespace menu_test
