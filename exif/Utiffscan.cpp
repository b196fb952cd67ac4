#include "exif/Utiffscan.h"

#include "exif/Ubytes.h"
#include "exif/Uexif_tags.h"
#include "tx/UTxUtils.h"

#include <algorithm>

namespace exif {

namespace {

constexpr std::uint32_t kMaxSubIfds = 32;

enum : std::uint16_t {
    kTagSubIfds = 0x014A,
    kTagExifIfd = 0x8769,
    kTagGpsIfd = 0x8825,
    kTagInteropIfd = 0xA005,
};

}  // namespace

std::uint64_t TiffEntry::ValueSize() const { return std::uint64_t(dwCount) * TypeSize(wType); }

bool TiffScan::Read(std::uint64_t qwPos, void* p, std::size_t cb)
{
    return qwPos <= m_qwLength && cb <= m_qwLength - qwPos && m_src.Read(m_qwBase + qwPos, p, cb);
}

std::uint32_t TiffScan::Get32(const std::uint8_t* p) const { return exif::Get32(p, m_bMotorola); }

bool TiffScan::ReadHeader()
{
    std::uint8_t head[8];
    if (!Read(0, head, 8) || head[0] != head[1] || (head[0] != 'I' && head[0] != 'M'))
        return false;
    m_bMotorola = head[0] == 'M';
    m_dwFirstIfd = Get32(head + 4);
    return true;
}

void TiffScan::Walk(const Visit& visit)
{
    std::vector<std::uint32_t> queue{m_dwFirstIfd};
    std::vector<std::uint32_t> visited;
    std::vector<std::uint8_t> raw;
    std::vector<TiffEntry> entries;
    for (std::size_t k = 0; k < queue.size() && visited.size() < std::size_t(kMaxIfds); ++k) {
        const std::uint32_t dwIfd = queue[k];
        if (dwIfd == 0 || std::find(visited.begin(), visited.end(), dwIfd) != visited.end())
            continue;
        std::uint8_t b[4 * kMaxSubIfds];
        if (!Read(dwIfd, b, 2)) {
            TX_LOG("TIFF IFD at %u lies outside the structure", dwIfd);
            continue;
        }
        const std::uint32_t dwCount = std::min<std::uint32_t>(Get16(b, m_bMotorola), kMaxEntries);
        raw.resize(std::size_t(dwCount) * 12 + 4);
        if (!Read(std::uint64_t(dwIfd) + 2, raw.data(), raw.size())) {
            TX_LOG("TIFF IFD at %u runs past the end of the structure", dwIfd);
            continue;
        }
        visited.push_back(dwIfd);
        entries.resize(dwCount);
        for (std::uint32_t i = 0; i < dwCount; ++i) {
            const std::uint8_t* p = raw.data() + 12 * i;
            TiffEntry& e = entries[i];
            e = TiffEntry{Get16(p, m_bMotorola), Get16(p + 2, m_bMotorola), Get32(p + 4), Get32(p + 8)};
            if (e.wTag == kTagExifIfd || e.wTag == kTagGpsIfd || e.wTag == kTagInteropIfd ||
                (e.wTag == kTagSubIfds && e.dwCount <= 1)) {
                queue.push_back(e.dwValue);
            } else if (e.wTag == kTagSubIfds) {
                const std::uint32_t n = std::min(e.dwCount, kMaxSubIfds);
                if (Read(e.dwValue, b, 4 * n))
                    for (std::uint32_t s = 0; s < n; ++s)
                        queue.push_back(Get32(b + 4 * s));
            }
        }
        queue.push_back(Get32(raw.data() + 12 * dwCount));
        visit(dwIfd, entries, int(visited.size()) - 1);
    }
}

}  // namespace exif
