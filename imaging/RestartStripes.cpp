#include "RestartStripes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMarkerRST0 = 0xD0;
constexpr std::uint8_t kMarkerRST7 = 0xD7;
// Every stripe carries a copy of all that stands in front of the scan, metadata included: a
// picture with more than this is decoded whole rather than copied that many times.
constexpr std::size_t kMaxHeaderBytes = 1u << 20;

// Calls visit(nMarkerPos, bMarker) for each marker in the scan data from nPos on, up to and
// including the first marker that is not a restart marker, which ends the scan; visit returns
// false to stop early. Stuffed 0xFF data bytes and fill bytes are stepped over. False when the
// data ends before the scan does, or visit stopped.
template <typename Visit>
bool VisitScanMarkers(const std::uint8_t* pData, std::size_t cbData, std::size_t nPos, Visit visit)
{
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
        if (!visit(nPos, bNext))
            return false;
        if (bNext < kMarkerRST0 || bNext > kMarkerRST7)
            return true;
        nPos += 2;
    }
    return false;
}

// A restart segment that begins an MCU row: where a stripe may begin.
struct RowStart {
    std::uint64_t qwSegment;  // its index in the scan, the first being 0
    std::uint64_t qwRow;      // the MCU row it begins
    std::size_t nDataPos;     // its first byte, right after its marker
    std::size_t nMarkerPos;   // the marker in front of it: where the stripe before it ends
};

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
           layout.nScanDataPos <= kMaxHeaderBytes &&
           layout.nFrameHeightPos + 2 <= layout.nScanDataPos;
}

// What one pass over the scan tells: whether its markers are complete and in order, where it
// ends, and which segments begin an MCU row.
struct ScanMap {
    std::vector<RowStart> rowStarts;
    std::size_t nScanEnd = 0;  // the marker that ends the scan
};

bool MapScan(const std::uint8_t* pData, std::size_t cbData, std::size_t nScanDataPos,
             const McuGrid& grid, std::uint64_t qwInterval, ScanMap* pMap)
{
    const std::uint64_t qwSegments = (grid.qwPerRow * grid.qwRows + qwInterval - 1) / qwInterval;
    std::uint64_t qwMarkers = 0;  // restart markers seen so far
    const bool bEnded = VisitScanMarkers(pData, cbData, nScanDataPos, [&](std::size_t nPos, std::uint8_t bMarker) {
        if (bMarker < kMarkerRST0 || bMarker > kMarkerRST7) {
            pMap->nScanEnd = nPos;
            return true;
        }
        if (bMarker != kMarkerRST0 + qwMarkers % 8 || qwMarkers + 1 >= qwSegments)
            return false;  // out of order, or more segments than MCUs call for
        const std::uint64_t qwSegment = ++qwMarkers;
        const std::uint64_t qwMcu = qwSegment * qwInterval;
        if (qwMcu % grid.qwPerRow == 0)
            pMap->rowStarts.push_back(RowStart{qwSegment, qwMcu / grid.qwPerRow, nPos + 2, nPos});
        return true;
    });
    return bEnded && qwMarkers + 1 == qwSegments;
}

// For each of the equal shares of the MCU rows after the first, the first row start at or after
// the share's beginning.
std::vector<RowStart> ChooseCuts(const McuGrid& grid, const std::vector<RowStart>& rowStarts, int nStripes)
{
    std::vector<RowStart> cuts;
    auto next = rowStarts.begin();
    for (int k = 1; k < nStripes; ++k) {
        const std::uint64_t qwTargetRow = grid.qwRows * k / nStripes;
        next = std::find_if(next, rowStarts.end(), [&](const RowStart& r) { return r.qwRow >= qwTargetRow; });
        if (next == rowStarts.end())
            break;
        cuts.push_back(*next++);
    }
    return cuts;
}

// The picture's headers with the stripe's frame height, the scan bytes from nBegin to nEnd with
// their restart markers renumbered as if the stripe's first segment were the scan's first, and
// an end-of-image marker.
JpegStripe MakeStripe(const std::uint8_t* pData, const JpegLayout& layout, std::size_t nBegin,
                      std::size_t nEnd, std::uint64_t qwFirstSegment, int nFirstRow, int nHeight)
{
    JpegStripe stripe;
    stripe.nFirstRow = nFirstRow;
    stripe.nHeight = nHeight;
    std::vector<std::uint8_t>& jpeg = stripe.jpeg;
    jpeg.reserve(layout.nScanDataPos + (nEnd - nBegin) + 2);
    jpeg.assign(pData, pData + layout.nScanDataPos);
    jpeg[layout.nFrameHeightPos] = static_cast<std::uint8_t>(nHeight >> 8);
    jpeg[layout.nFrameHeightPos + 1] = static_cast<std::uint8_t>(nHeight);
    jpeg.insert(jpeg.end(), pData + nBegin, pData + nEnd);
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9);
    const unsigned nShift = static_cast<unsigned>(qwFirstSegment % 8);
    VisitScanMarkers(jpeg.data(), jpeg.size(), layout.nScanDataPos, [&](std::size_t nPos, std::uint8_t bMarker) {
        if (bMarker >= kMarkerRST0 && bMarker <= kMarkerRST7)
            jpeg[nPos + 1] = static_cast<std::uint8_t>(kMarkerRST0 + (bMarker - kMarkerRST0 + 8 - nShift) % 8);
        return true;
    });
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
    ScanMap map;
    if (!MapScan(pData, cbData, layout.nScanDataPos, grid, std::uint64_t(layout.nRestartInterval), &map))
        return stripes;
    const std::vector<RowStart> cuts = ChooseCuts(grid, map.rowStarts, nStripes);
    if (cuts.empty())
        return stripes;

    RowStart first{0, 0, layout.nScanDataPos, 0};
    for (std::size_t i = 0; i <= cuts.size(); ++i) {
        const bool bLast = i == cuts.size();
        const std::size_t nEnd = bLast ? map.nScanEnd : cuts[i].nMarkerPos;
        const int nFirstRow = static_cast<int>(first.qwRow) * grid.nRowHeight;
        const int nEndRow = bLast ? layout.nHeight : static_cast<int>(cuts[i].qwRow) * grid.nRowHeight;
        stripes.push_back(MakeStripe(pData, layout, first.nDataPos, nEnd, first.qwSegment, nFirstRow,
                                     nEndRow - nFirstRow));
        if (!bLast)
            first = cuts[i];
    }
    return stripes;
}
