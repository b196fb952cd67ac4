// Numbers in file bytes, in either byte order.
#pragma once

#include <cstdint>

namespace exif {

inline std::uint16_t Be16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }
inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[1] << 8 | p[0]); }
inline std::uint32_t Be32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
inline std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}
inline std::uint16_t Get16(const std::uint8_t* p, bool bMotorola) { return bMotorola ? Be16(p) : Le16(p); }
inline std::uint32_t Get32(const std::uint8_t* p, bool bMotorola) { return bMotorola ? Be32(p) : Le32(p); }

}  // namespace exif
