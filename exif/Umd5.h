// MD5 (RFC 1321), for the IPTC digest that Photoshop keeps beside the IPTC record.
#pragma once

#include "platform/wintypes.h"

#include <array>
#include <cstddef>

namespace exif {

std::array<BYTE, 16> Md5(const BYTE* pData, std::size_t cbData);

}  // namespace exif
