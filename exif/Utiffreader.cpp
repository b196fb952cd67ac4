// TIFF and the TIFF-based raw formats (DNG, CR2, NEF, NRW, ARW, SR2, SRF, ORF, RW2, PEF, SRW,
// 3FR, ERF): the whole file is the TIFF structure, which the one TIFF walker reads. Here only
// what lies beside the dates is located: the XMP packet of IFD0 (tag 700) and the largest JPEG
// picture the file embeds, for the preview. IFDs are read straight from the file, each at most
// once, a bounded number of them.
#include "exif/Ubytes.h"
#include "exif/Ureaders.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace exif {

namespace {

constexpr int kMaxIfds = 64;
constexpr std::uint32_t kMaxEntries = 1024;
constexpr std::uint32_t kMaxSubIfds = 32;
constexpr int kMaxJpegSegments = 64;

enum : std::uint16_t {
    kTagJpgFromRaw = 0x002E,  // RW2: a whole JPEG picture as the value
    kTagCompression = 0x0103,
    kTagStripOffsets = 0x0111,
    kTagStripByteCounts = 0x0117,
    kTagSubIfds = 0x014A,
    kTagJpegOffset = 0x0201,
    kTagJpegLength = 0x0202,
    kTagXmp = 0x02BC,
};

struct Entry {
    std::uint16_t wTag = 0, wType = 0;
    std::uint32_t dwCount = 0, dwValue = 0;
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

class TiffLocator {
public:
    TiffLocator(ByteSource& src, ContainerLayout& layout, bool bMotorola)
        : m_src(src), m_layout(layout), m_bMotorola(bMotorola) {}

    void Walk(std::uint32_t dwIfd0)
    {
        std::vector<std::uint32_t> queue{dwIfd0};
        for (std::size_t k = 0; k < queue.size() && m_visited.size() < kMaxIfds; ++k) {
            const std::uint32_t dwIfd = queue[k];
            if (dwIfd == 0 || std::find(m_visited.begin(), m_visited.end(), dwIfd) != m_visited.end())
                continue;
            m_visited.push_back(dwIfd);
            ReadIfd(dwIfd, k == 0, queue);
        }
    }

private:
    void ReadIfd(std::uint32_t dwIfd, bool bIfd0, std::vector<std::uint32_t>& queue)
    {
        std::uint8_t b[4];
        if (!m_src.Read(dwIfd, b, 2)) {
            TX_LOG("TIFF IFD at %u lies outside the file", dwIfd);
            return;
        }
        const std::uint32_t dwCount = std::min<std::uint32_t>(Get16(b, m_bMotorola), kMaxEntries);
        std::vector<std::uint8_t> raw(std::size_t(dwCount) * 12 + 4);
        if (!m_src.Read(std::uint64_t(dwIfd) + 2, raw.data(), raw.size())) {
            TX_LOG("TIFF IFD at %u runs past the end of the file", dwIfd);
            return;
        }
        std::vector<Entry> entries(dwCount);
        for (std::uint32_t i = 0; i < dwCount; ++i) {
            const std::uint8_t* p = raw.data() + 12 * i;
            entries[i] = Entry{Get16(p, m_bMotorola), Get16(p + 2, m_bMotorola), Get32(p + 4, m_bMotorola),
                               Get32(p + 8, m_bMotorola)};
        }
        queue.push_back(Get32(raw.data() + 12 * dwCount, m_bMotorola));
        auto find = [&](std::uint16_t wTag) -> const Entry* {
            for (const Entry& e : entries)
                if (e.wTag == wTag)
                    return &e;
            return nullptr;
        };
        const Entry* pOffset = find(kTagJpegOffset);
        const Entry* pLength = find(kTagJpegLength);
        if (pOffset && pLength)
            Candidate(pOffset->dwValue, pLength->dwValue);
        const Entry* pCompression = find(kTagCompression);
        const Entry* pStrips = find(kTagStripOffsets);
        const Entry* pCounts = find(kTagStripByteCounts);
        if (pCompression && (pCompression->dwValue & 0xFFFF) >= 6 && (pCompression->dwValue & 0xFFFF) <= 7 &&
            pStrips && pCounts && pStrips->dwCount == 1 && pCounts->dwCount == 1)
            Candidate(pStrips->dwValue, pCounts->dwValue);
        if (const Entry* pRaw = find(kTagJpgFromRaw); pRaw && pRaw->dwCount > 4) {
            Candidate(pRaw->dwValue, pRaw->dwCount);
            // RW2: the whole JPEG picture carries the camera's EXIF data again, dates included.
            TiffPlace place;
            if (std::uint64_t(pRaw->dwValue) + pRaw->dwCount <= m_src.Size() &&
                ExifOfJpeg(m_src, pRaw->dwValue, pRaw->dwCount, place)) {
                std::snprintf(place.szWhere, sizeof(place.szWhere), "JpgFromRaw");
                m_layout.tiff.push_back(place);
            }
        }
        if (const Entry* pXmp = find(kTagXmp); bIfd0 && pXmp && pXmp->dwCount > 4 &&
                                               std::uint64_t(pXmp->dwValue) + pXmp->dwCount <= m_src.Size())
            m_layout.xmp.push_back(XmpPlace{pXmp->dwValue, pXmp->dwCount});
        if (const Entry* pSub = find(kTagSubIfds))
            SubIfds(*pSub, queue);
    }

    void SubIfds(const Entry& e, std::vector<std::uint32_t>& queue)
    {
        const std::uint32_t n = std::min(e.dwCount, kMaxSubIfds);
        if (n <= 1) {
            queue.push_back(e.dwValue);
            return;
        }
        std::uint8_t b[4 * kMaxSubIfds];
        if (!m_src.Read(e.dwValue, b, 4 * n))
            return;
        for (std::uint32_t i = 0; i < n; ++i)
            queue.push_back(Get32(b + 4 * i, m_bMotorola));
    }

    void Candidate(std::uint64_t qwOffset, std::uint64_t qwLength)
    {
        if (qwLength <= m_layout.qwJpegLength || qwOffset > m_src.Size() || qwLength > m_src.Size() - qwOffset ||
            !IsPictureJpeg(m_src, qwOffset, qwLength))
            return;
        m_layout.qwJpegOffset = qwOffset;
        m_layout.qwJpegLength = qwLength;
    }

    ByteSource& m_src;
    ContainerLayout& m_layout;
    bool m_bMotorola;
    std::vector<std::uint32_t> m_visited;
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
    const bool bMotorola = head[0] == 'M';
    TiffLocator(src, layout, bMotorola).Walk(Get32(head + 4, bMotorola));
    return true;
}

}  // namespace exif
