// CRC-32 as PNG chunks (and zip, and gzip) use it: polynomial 0xEDB88320, reflected, starting
// from and finishing with all ones.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tx {

// Continues a CRC over more bytes: start with 0, pass the previous result on.
std::uint32_t Crc32(std::uint32_t crc, const void* pData, std::size_t cb);

}  // namespace tx
