// WebP: a RIFF file of form type "WEBP", chunks of a four-character type, a 4-byte
// little-endian size and the data, each padded to an even length. The EXIF chunk holds a TIFF
// structure (after an "Exif\0\0" signature in some writers' files), the "XMP " chunk a packet.
#include "exif/Ubytes.h"
#include "exif/Ureaders.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstring>

namespace exif {

namespace {

constexpr int kMaxChunks = 1 << 16;

}  // namespace

bool LocateWebp(ByteSource& src, ContainerLayout& layout)
{
    std::uint8_t head[8];
    if (!src.Read(0, head, 8))
        return false;
    // The chunks end where the RIFF size says, or where the file does when it is cut short.
    const std::uint64_t qwEnd = std::min<std::uint64_t>(src.Size(), 8 + std::uint64_t(Le32(head + 4)));
    std::uint64_t qwChunk = 12;
    for (int n = 0; n < kMaxChunks && qwChunk + 8 <= qwEnd; ++n) {
        if (!src.Read(qwChunk, head, 8))
            break;
        const std::uint32_t dwSize = Le32(head + 4);
        const std::uint64_t qwData = qwChunk + 8;
        if (dwSize > qwEnd - qwData) {
            TX_LOG("WebP chunk at %llu runs past the end of the file", static_cast<unsigned long long>(qwChunk));
            break;
        }
        if (std::memcmp(head, "EXIF", 4) == 0) {
            std::uint8_t sig[6] = {};
            const bool bPrefixed = dwSize >= 14 && src.Read(qwData, sig, 6) && std::memcmp(sig, "Exif\0\0", 6) == 0;
            TiffPlace place;
            place.qwOffset = qwData + (bPrefixed ? 6 : 0);
            place.qwLength = dwSize - (bPrefixed ? 6 : 0);
            if (layout.tiff.empty())
                layout.tiff.push_back(place);
            else
                TX_LOG("WebP file: a second EXIF chunk at %llu is not read", static_cast<unsigned long long>(qwChunk));
        } else if (std::memcmp(head, "XMP ", 4) == 0) {
            layout.xmp.push_back(XmpPlace{qwData, dwSize});
        }
        qwChunk = qwData + dwSize + (dwSize & 1);
    }
    return !layout.tiff.empty() || !layout.xmp.empty();
}

}  // namespace exif
