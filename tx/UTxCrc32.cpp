#include "UTxCrc32.h"

#include <array>

namespace tx {

namespace {

std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* pData, std::size_t cb)
{
    static const std::array<std::uint32_t, 256> table = MakeTable();
    const auto* p = static_cast<const std::uint8_t*>(pData);
    std::uint32_t c = ~crc;
    for (std::size_t i = 0; i < cb; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}

}  // namespace tx
