#include "RestartStripes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMarkerRST0 = 0xD0;
constexpr std::uint8_t kMarkerRST7 = 0xD7;

// The entropy-coded bytes between two restart markers (or the scan's start or end).
struct Segment {
    std::size_t nBegin;
    std::size_t nEnd;
};

// Collects the restart segments of the scan whose data starts at nPos: each ends where the next
// marker begins. False when a restart marker is out of order or the data ends before the
// marker that ends the scan.
bool FindSegments(const std::uint8_t* pData, std::size_t cbData, std::size_t nPos,
                  std::vector<Segment>* pSegments)
{
    std::size_t nBegin = nPos;
    while (nPos < cbData) {
        const void* pHit = std::memchr(pData + nPos, 0xFF, cbData - nPos);
        if (pHit == nullptr)
            return false;
        nPos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(pHit) - pData);
        if (nPos + 1 >= cbData)
            return false;
        const std::uint8_t bNext = pData[nPos + 1];
        if (bNext == 0x00) {  // a stuffed 0xFF data byte
            nPos += 2;
            continue;
        }
        if (bNext == 0xFF) {  // fill before a marker
            nPos += 1;
            continue;
        }
        pSegments->push_back(Segment{nBegin, nPos});
        if (bNext < kMarkerRST0 || bNext > kMarkerRST7)
            return true;  // any other marker ends the scan
        if (bNext != kMarkerRST0 + (pSegments->size() - 1) % 8)
            return false;
        nPos += 2;
        nBegin = nPos;
    }
    return false;
}

struct McuGrid {
    std::uint64_t qwPerRow = 0;
    std::uint64_t qwRows = 0;
    int nRowHeight = 0;  // pixel rows per MCU row
};

McuGrid GridOf(const JpegLayout& layout)
{
    // A scan of one component codes single blocks; an interleaved scan codes MCUs of the
    // largest sampling factors.
    const bool bSingle = layout.nScanComponents == 1;
    const int nMcuWidth = bSingle ? 8 : 8 * layout.nMaxHSampling;
    const int nMcuHeight = bSingle ? 8 : 8 * layout.nMaxVSampling;
    McuGrid grid;
    grid.qwPerRow = (std::uint64_t(layout.nWidth) + nMcuWidth - 1) / nMcuWidth;
    grid.qwRows = (std::uint64_t(layout.nHeight) + nMcuHeight - 1) / nMcuHeight;
    grid.nRowHeight = nMcuHeight;
    return grid;
}

bool IsCuttable(const JpegLayout& layout, std::size_t cbData)
{
    return layout.bSequentialHuffman && layout.nRestartInterval > 0 && layout.nWidth > 0 &&
           layout.nHeight > 0 && layout.nScanComponents == layout.nComponents &&
           layout.nScanDataPos > 0 && layout.nScanDataPos <= cbData &&
           layout.nFrameHeightPos + 2 <= layout.nScanDataPos;
}

// The first segment of each stripe after the first: for each of the equal shares of the MCU
// rows, the first segment that begins an MCU row at or after the share's start.
std::vector<std::size_t> ChooseCuts(const McuGrid& grid, std::uint64_t qwInterval,
                                    std::size_t nSegments, int nStripes)
{
    std::vector<std::size_t> cuts;
    std::size_t nSegment = 1;
    for (int k = 1; k < nStripes; ++k) {
        const std::uint64_t qwTargetRow = grid.qwRows * k / nStripes;
        for (; nSegment < nSegments; ++nSegment) {
            const std::uint64_t qwMcu = nSegment * qwInterval;
            if (qwMcu % grid.qwPerRow == 0 && qwMcu / grid.qwPerRow >= qwTargetRow)
                break;
        }
        if (nSegment >= nSegments)
            break;
        cuts.push_back(nSegment++);
    }
    return cuts;
}

JpegStripe MakeStripe(const std::uint8_t* pData, const JpegLayout& layout,
                      const std::vector<Segment>& segments, std::size_t nFirst, std::size_t nEnd,
                      int nFirstRow, int nHeight)
{
    JpegStripe stripe;
    stripe.nFirstRow = nFirstRow;
    stripe.nHeight = nHeight;
    std::size_t cbScan = 2;
    for (std::size_t i = nFirst; i < nEnd; ++i)
        cbScan += segments[i].nEnd - segments[i].nBegin + 2;
    std::vector<std::uint8_t>& jpeg = stripe.jpeg;
    jpeg.reserve(layout.nScanDataPos + cbScan);
    jpeg.assign(pData, pData + layout.nScanDataPos);
    jpeg[layout.nFrameHeightPos] = static_cast<std::uint8_t>(nHeight >> 8);
    jpeg[layout.nFrameHeightPos + 1] = static_cast<std::uint8_t>(nHeight);
    for (std::size_t i = nFirst; i < nEnd; ++i) {
        if (i > nFirst) {
            jpeg.push_back(0xFF);
            jpeg.push_back(static_cast<std::uint8_t>(kMarkerRST0 + (i - nFirst - 1) % 8));
        }
        jpeg.insert(jpeg.end(), pData + segments[i].nBegin, pData + segments[i].nEnd);
    }
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9);
    return stripe;
}

}  // namespace

std::vector<JpegStripe> CutAtRestartMarkers(const std::uint8_t* pData, std::size_t cbData,
                                            const JpegLayout& layout, int nMaxStripes,
                                            int nMinStripeHeight)
{
    std::vector<JpegStripe> stripes;
    if (!IsCuttable(layout, cbData))
        return stripes;
    const int nStripes = std::min(nMaxStripes, layout.nHeight / std::max(1, nMinStripeHeight));
    if (nStripes < 2)
        return stripes;
    const McuGrid grid = GridOf(layout);
    const std::uint64_t qwInterval = std::uint64_t(layout.nRestartInterval);
    const std::uint64_t qwSegments = (grid.qwPerRow * grid.qwRows + qwInterval - 1) / qwInterval;

    std::vector<Segment> segments;
    if (!FindSegments(pData, cbData, layout.nScanDataPos, &segments) ||
        segments.size() != qwSegments)
        return stripes;
    std::vector<std::size_t> cuts = ChooseCuts(grid, qwInterval, segments.size(), nStripes);
    if (cuts.empty())
        return stripes;

    cuts.push_back(segments.size());
    std::size_t nFirst = 0;
    int nFirstRow = 0;
    for (const std::size_t nEnd : cuts) {
        const int nEndRow = nEnd == segments.size()
                                ? layout.nHeight
                                : static_cast<int>(nEnd * qwInterval / grid.qwPerRow) * grid.nRowHeight;
        stripes.push_back(MakeStripe(pData, layout, segments, nFirst, nEnd, nFirstRow, nEndRow - nFirstRow));
        nFirst = nEnd;
        nFirstRow = nEndRow;
    }
    return stripes;
}
