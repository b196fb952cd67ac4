// TIFF and the TIFF-based raw formats (DNG, CR2, NEF, NRW, ARW, SR2, SRF, ORF, RW2, PEF, SRW,
// 3FR, ERF): the whole file is the TIFF structure, which the one TIFF walker reads. Here only
// what lies beside the dates is located: the XMP packet of IFD0 (tag 700) and the largest JPEG
// picture the file embeds, for the preview. IFDs are read straight from the file (TiffScan).
#include "exif/Ubytes.h"
#include "exif/Ureaders.h"
#include "exif/Utiffscan.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace exif {

namespace {

constexpr int kMaxJpegSegments = 64;

enum : std::uint16_t {
    kTagJpgFromRaw = 0x002E,  // RW2: a whole JPEG picture as the value
    kTagCompression = 0x0103,
    kTagStripOffsets = 0x0111,
    kTagStripByteCounts = 0x0117,
    kTagJpegOffset = 0x0201,
    kTagJpegLength = 0x0202,
    kTagXmp = 0x02BC,
};

// A whole JPEG picture libjpeg can decode on its own: its start marker, then quantisation and
// Huffman tables and a baseline, extended or progressive frame before the scan. A raw file's
// lossless JPEG data (frame C3) and a TIFF strip whose tables stand elsewhere (JPEGTables) also
// start FF D8, and are not such pictures.
bool IsPictureJpeg(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength)
{
    std::uint8_t b[4];
    if (qwLength < 4 || !src.Read(qwOffset, b, 2) || b[0] != 0xFF || b[1] != 0xD8)
        return false;
    std::uint64_t p = qwOffset + 2;
    const std::uint64_t qwEnd = qwOffset + qwLength;
    bool bFrame = false, bQuant = false, bHuffman = false;
    for (int n = 0; n < kMaxJpegSegments && p + 4 <= qwEnd && src.Read(p, b, 4); ++n) {
        if (b[0] != 0xFF)
            return false;
        if (b[1] == 0xDA)
            return bFrame && bQuant && bHuffman;
        if (b[1] == 0xC0 || b[1] == 0xC1 || b[1] == 0xC2)
            bFrame = true;
        else if (b[1] >= 0xC3 && b[1] <= 0xCF && b[1] != 0xC4 && b[1] != 0xC8 && b[1] != 0xCC)
            return false;
        bQuant = bQuant || b[1] == 0xDB;
        bHuffman = bHuffman || b[1] == 0xC4;
        p += 2 + Be16(b + 2);
    }
    return false;
}

// The TIFF structure of the APP1 "Exif" segment among a JPEG picture's first segments.
bool ExifOfJpeg(ByteSource& src, std::uint64_t qwOffset, std::uint64_t qwLength, TiffPlace& place)
{
    std::uint8_t b[10];
    std::uint64_t p = qwOffset + 2;
    const std::uint64_t qwEnd = qwOffset + qwLength;
    for (int n = 0; n < kMaxJpegSegments && p + 10 <= qwEnd && src.Read(p, b, 10); ++n) {
        const std::uint16_t wLength = Be16(b + 2);
        if (b[0] != 0xFF || b[1] == 0xDA || wLength < 2 || p + 2 + wLength > qwEnd)
            return false;
        if (b[1] == 0xE1 && wLength > 16 && std::memcmp(b + 4, "Exif\0\0", 6) == 0) {
            place.qwOffset = p + 10;
            place.qwLength = wLength - 8u;
            return true;
        }
        p += 2 + wLength;
    }
    return false;
}

// The largest whole JPEG picture among the candidates the IFDs name; an RW2's JpgFromRaw
// structure; IFD0's XMP packet.
class TiffLocator {
public:
    TiffLocator(ByteSource& src, ContainerLayout& layout) : m_src(src), m_layout(layout) {}

    void Visit(const std::vector<TiffEntry>& entries, int nIfd)
    {
        auto find = [&](std::uint16_t wTag) -> const TiffEntry* {
            for (const TiffEntry& e : entries)
                if (e.wTag == wTag)
                    return &e;
            return nullptr;
        };
        const TiffEntry* pOffset = find(kTagJpegOffset);
        const TiffEntry* pLength = find(kTagJpegLength);
        if (pOffset && pLength)
            Candidate(pOffset->dwValue, pLength->dwValue);
        const TiffEntry* pCompression = find(kTagCompression);
        const TiffEntry* pStrips = find(kTagStripOffsets);
        const TiffEntry* pCounts = find(kTagStripByteCounts);
        if (pCompression && (pCompression->dwValue & 0xFFFF) >= 6 && (pCompression->dwValue & 0xFFFF) <= 7 &&
            pStrips && pCounts && pStrips->dwCount == 1 && pCounts->dwCount == 1)
            Candidate(pStrips->dwValue, pCounts->dwValue);
        if (const TiffEntry* pRaw = find(kTagJpgFromRaw); pRaw && pRaw->dwCount > 4) {
            Candidate(pRaw->dwValue, pRaw->dwCount);
            // RW2: the whole JPEG picture carries the camera's EXIF data again, dates included.
            TiffPlace place;
            if (std::uint64_t(pRaw->dwValue) + pRaw->dwCount <= m_src.Size() &&
                ExifOfJpeg(m_src, pRaw->dwValue, pRaw->dwCount, place)) {
                std::snprintf(place.szWhere, sizeof(place.szWhere), "JpgFromRaw");
                m_layout.tiff.push_back(place);
            }
        }
        if (const TiffEntry* pXmp = find(kTagXmp); nIfd == 0 && pXmp && pXmp->dwCount > 4 &&
                                                   std::uint64_t(pXmp->dwValue) + pXmp->dwCount <= m_src.Size())
            m_layout.xmp.push_back(XmpPlace{pXmp->dwValue, pXmp->dwCount});
    }

private:
    void Candidate(std::uint64_t qwOffset, std::uint64_t qwLength)
    {
        if (!m_layout.bWantJpeg || qwLength <= m_layout.qwJpegLength || qwOffset > m_src.Size() || qwLength > m_src.Size() - qwOffset ||
            !IsPictureJpeg(m_src, qwOffset, qwLength))
            return;
        m_layout.qwJpegOffset = qwOffset;
        m_layout.qwJpegLength = qwLength;
    }

    ByteSource& m_src;
    ContainerLayout& m_layout;
};

}  // namespace

bool LocateTiff(ByteSource& src, ContainerLayout& layout)
{
    std::uint8_t head[8];
    if (!src.Read(0, head, 8) || !IsTiffHeader(head))
        return false;
    TiffPlace place;
    place.qwLength = src.Size();
    layout.tiff.push_back(place);
    TiffScan scan(src, 0, src.Size());
    TiffLocator locator(src, layout);
    if (scan.ReadHeader())
        scan.Walk([&](std::uint32_t, const std::vector<TiffEntry>& entries, int nIfd) { locator.Visit(entries, nIfd); });
    return true;
}

}  // namespace exif
