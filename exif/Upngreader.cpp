// PNG: a signature, then chunks of a 4-byte big-endian length, a 4-byte type, the data and a
// CRC-32 over type and data. The EXIF data is the eXIf chunk (a TIFF structure, in some
// writers' files after an "Exif\0\0" signature); XMP is an iTXt chunk with the keyword
// "XML:com.adobe.xmp", read only when its text is not compressed. Each place found comes with
// the chunk's CRC, which a write must follow.
#include "exif/Ubytes.h"
#include "exif/Ureaders.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace exif {

namespace {

constexpr std::uint64_t kSignature = 8;
// A file of more chunks is not followed further (a sound PNG of gigabytes holds far fewer).
constexpr int kMaxChunks = 1 << 20;
// A larger eXIf or XMP chunk is not read: its CRC could not be checked (and followed) without
// reading all of it.
constexpr std::uint32_t kMaxDateChunk = 16u << 20;

ChecksumPlace ChunkChecksum(ByteSource& src, std::uint64_t qwChunk, std::uint32_t dwLength)
{
    ChecksumPlace sum;
    sum.qwDataOffset = qwChunk + 4;
    sum.qwDataLength = 4 + std::uint64_t(dwLength);
    sum.qwCrcOffset = qwChunk + 8 + dwLength;
    std::uint8_t stored[4];
    std::uint32_t crc = 0;
    sum.bValid = src.Read(sum.qwCrcOffset, stored, 4) && CrcOfStretch(src, sum.qwDataOffset, sum.qwDataLength, crc) &&
                 crc == Be32(stored);
    if (!sum.bValid)
        TX_LOG("PNG chunk at %llu: its CRC does not match: left as it is",
               static_cast<unsigned long long>(qwChunk));
    return sum;
}

// An iTXt chunk's text, when the chunk is uncompressed XMP: keyword, compression flag and
// method, language tag and translated keyword come before it.
bool XmpText(ByteSource& src, std::uint64_t qwData, std::uint32_t dwLength, XmpPlace& place)
{
    static const char kKeyword[] = "XML:com.adobe.xmp";  // with its zero
    std::uint8_t head[512];
    const std::size_t cb = std::min<std::size_t>(dwLength, sizeof(head));
    if (cb < sizeof(kKeyword) + 2 || !src.Read(qwData, head, cb) || std::memcmp(head, kKeyword, sizeof(kKeyword)) != 0)
        return false;
    std::size_t p = sizeof(kKeyword);
    if (head[p] != 0)  // compressed
        return false;
    p += 2;
    for (int nZeros = 0; nZeros < 2; ++p) {  // the language tag and the translated keyword
        if (p >= cb)
            return false;
        nZeros += head[p] == 0 ? 1 : 0;
    }
    place.qwOffset = qwData + p;
    place.qwLength = dwLength - p;
    return true;
}

}  // namespace

bool LocatePng(ByteSource& src, ContainerLayout& layout)
{
    const std::uint64_t qwSize = src.Size();
    std::uint64_t qwChunk = kSignature;
    for (int n = 0; n < kMaxChunks && qwChunk + 12 <= qwSize; ++n) {
        std::uint8_t head[8];
        if (!src.Read(qwChunk, head, 8))
            break;
        const std::uint32_t dwLength = Be32(head);
        if (dwLength > qwSize - qwChunk - 12) {
            TX_LOG("PNG chunk at %llu runs past the end of the file",
                   static_cast<unsigned long long>(qwChunk));
            break;
        }
        const std::uint64_t qwData = qwChunk + 8;
        const bool bDates = std::memcmp(head + 4, "eXIf", 4) == 0 || std::memcmp(head + 4, "iTXt", 4) == 0;
        if (bDates && dwLength > kMaxDateChunk) {
            TX_LOG("PNG chunk at %llu: %u bytes, too large to be read", static_cast<unsigned long long>(qwChunk),
                   dwLength);
        } else if (std::memcmp(head + 4, "eXIf", 4) == 0) {
            std::uint8_t sig[6] = {};
            const bool bPrefixed = dwLength >= 14 && src.Read(qwData, sig, 6) && std::memcmp(sig, "Exif\0\0", 6) == 0;
            const std::uint64_t qwSkip = bPrefixed ? 6 : 0;
            TiffPlace place;
            place.qwOffset = qwData + qwSkip;
            place.qwLength = dwLength - qwSkip;
            if (!layout.tiff.empty())
                std::snprintf(place.szWhere, sizeof(place.szWhere), "eXIf#%d", int(layout.tiff.size() % 1000) + 1);
            layout.tiff.push_back(place);
            layout.checksums.push_back(ChunkChecksum(src, qwChunk, dwLength));
        } else if (std::memcmp(head + 4, "iTXt", 4) == 0) {
            XmpPlace place;
            if (XmpText(src, qwData, dwLength, place)) {
                layout.xmp.push_back(place);
                layout.checksums.push_back(ChunkChecksum(src, qwChunk, dwLength));
            }
        } else if (std::memcmp(head + 4, "IEND", 4) == 0) {
            break;
        }
        qwChunk = qwData + dwLength + 4;
    }
    return !layout.tiff.empty() || !layout.xmp.empty();
}

}  // namespace exif
