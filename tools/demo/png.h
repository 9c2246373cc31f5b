// A small PNG writer and reader: 8-bit RGB, zlib with stored (uncompressed)
// deflate blocks, so no imaging or compression library is needed. The reader
// takes what the writer makes (stored blocks, filter 0) and nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

namespace demo {

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

std::vector<std::uint8_t> encodePng(const Picture& picture);

// "" and the picture, or what is wrong with the bytes.
std::string decodePng(const std::vector<std::uint8_t>& bytes, Picture& picture);

} // namespace demo
