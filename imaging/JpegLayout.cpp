#include "JpegLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMarkerSOI = 0xD8;
constexpr std::uint8_t kMarkerEOI = 0xD9;
constexpr std::uint8_t kMarkerSOS = 0xDA;
constexpr std::uint8_t kMarkerDRI = 0xDD;
constexpr std::uint8_t kMarkerAPP1 = 0xE1;
constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

std::uint16_t Big16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// Reads 16- and 32-bit values of a TIFF block in its byte order, refusing reads past its end.
class TiffReader {
public:
    TiffReader(const std::uint8_t* pData, std::size_t cbData, bool bMotorola)
        : m_pData(pData), m_cbData(cbData), m_bMotorola(bMotorola) {}

    bool U16(std::size_t nPos, std::uint16_t* pValue) const
    {
        if (nPos > m_cbData || m_cbData - nPos < 2)
            return false;
        const std::uint8_t* p = m_pData + nPos;
        *pValue = m_bMotorola ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                              : static_cast<std::uint16_t>((p[1] << 8) | p[0]);
        return true;
    }
    bool U32(std::size_t nPos, std::uint32_t* pValue) const
    {
        std::uint16_t wFirst = 0, wSecond = 0;
        if (!U16(nPos, &wFirst) || !U16(nPos + 2, &wSecond))
            return false;
        *pValue = m_bMotorola ? (std::uint32_t{wFirst} << 16) | wSecond
                              : (std::uint32_t{wSecond} << 16) | wFirst;
        return true;
    }

private:
    const std::uint8_t* m_pData;
    std::size_t m_cbData;
    bool m_bMotorola;
};

bool IsFrameMarker(std::uint8_t bMarker)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return bMarker >= 0xC0 && bMarker <= 0xCF && bMarker != 0xC4 && bMarker != 0xC8 &&
           bMarker != 0xCC;
}

bool IsProgressiveFrame(std::uint8_t bMarker)
{
    return bMarker == 0xC2 || bMarker == 0xC6 || bMarker == 0xCA || bMarker == 0xCE;
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b)
{
    return (a + b - 1) / b;
}

// Frame header: precision, height, width, component count, then three bytes per component.
void ReadFrame(const std::uint8_t* p, std::size_t cb, std::uint8_t bMarker, JpegLayout* pLayout)
{
    if (cb < 6)
        return;
    const int nComponents = p[5];
    if (nComponents == 0 || cb < 6 + 3 * static_cast<std::size_t>(nComponents))
        return;
    int nMaxH = 1, nMaxV = 1;
    for (int i = 0; i < nComponents; ++i) {
        const std::uint8_t bSampling = p[6 + 3 * i + 1];
        nMaxH = std::max(nMaxH, bSampling >> 4);
        nMaxV = std::max(nMaxV, bSampling & 0x0F);
    }
    std::uint64_t cbCoefficients = 0;
    const std::uint64_t qwWidth = Big16(p + 3), qwHeight = Big16(p + 1);
    for (int i = 0; i < nComponents; ++i) {
        const std::uint8_t bSampling = p[6 + 3 * i + 1];
        const std::uint64_t qwBlocksWide = CeilDiv(qwWidth * std::max(1, bSampling >> 4), 8u * nMaxH);
        const std::uint64_t qwBlocksHigh =
            CeilDiv(qwHeight * std::max(1, bSampling & 0x0F), 8u * nMaxV);
        cbCoefficients += qwBlocksWide * qwBlocksHigh * 64 * 2;
    }
    pLayout->bFoundFrame = true;
    pLayout->bProgressive = IsProgressiveFrame(bMarker);
    pLayout->nHeight = static_cast<int>(qwHeight);
    pLayout->nWidth = static_cast<int>(qwWidth);
    pLayout->nComponents = nComponents;
    pLayout->cbCoefficients = cbCoefficients;
    pLayout->bSequentialHuffman = bMarker == 0xC0 || bMarker == 0xC1;
    pLayout->nMaxHSampling = nMaxH;
    pLayout->nMaxVSampling = nMaxV;
}

// 42 for TIFF; raw files' own variants of the header: Olympus' "RO" and "RS", Panasonic's 0x55.
bool IsTiffMagic(std::uint16_t wMagic, bool bRawMagic)
{
    return wMagic == 42 || (bRawMagic && (wMagic == 0x4F52 || wMagic == 0x5352 || wMagic == 0x55));
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* pSegment, std::size_t cbSegment)
{
    static const std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (cbSegment < sizeof kExifId + 8 || std::memcmp(pSegment, kExifId, sizeof kExifId) != 0)
        return 1;
    return ReadTiffOrientation(pSegment + sizeof kExifId, cbSegment - sizeof kExifId, false);
}

int ReadTiffOrientation(const std::uint8_t* pTiff, std::size_t cbTiff, bool bRawMagic)
{
    if (cbTiff < 8)
        return 1;
    bool bMotorola = false;
    if (pTiff[0] == 'M' && pTiff[1] == 'M')
        bMotorola = true;
    else if (!(pTiff[0] == 'I' && pTiff[1] == 'I'))
        return 1;
    const TiffReader tiff(pTiff, cbTiff, bMotorola);
    std::uint16_t wMagic = 0, wEntries = 0;
    std::uint32_t dwIfd = 0;
    if (!tiff.U16(2, &wMagic) || !IsTiffMagic(wMagic, bRawMagic) || !tiff.U32(4, &dwIfd) ||
        !tiff.U16(dwIfd, &wEntries))
        return 1;
    for (std::uint32_t i = 0; i < wEntries; ++i) {
        const std::size_t nEntry = std::size_t{dwIfd} + 2 + 12 * std::size_t{i};
        std::uint16_t wTag = 0, wType = 0, wValue = 0;
        std::uint32_t dwCount = 0;
        if (!tiff.U16(nEntry, &wTag) || !tiff.U16(nEntry + 2, &wType) ||
            !tiff.U32(nEntry + 4, &dwCount) || !tiff.U16(nEntry + 8, &wValue))
            return 1;  // the directory runs past the segment
        if (wTag == kTagOrientation)
            return (wType == kTypeShort && dwCount >= 1 && wValue >= 1 && wValue <= 8) ? wValue : 1;
    }
    return 1;
}

bool ReadJpegLayout(const std::uint8_t* pData, std::size_t cbData, JpegLayout* pLayout)
{
    *pLayout = JpegLayout{};
    if (cbData < 2 || pData[0] != 0xFF || pData[1] != kMarkerSOI)
        return false;
    bool bOrientationRead = false;
    std::size_t nPos = 2;
    while (nPos + 2 <= cbData) {
        if (pData[nPos] != 0xFF) {
            ++nPos;  // stray byte between segments: libjpeg skips these too
            continue;
        }
        const std::uint8_t bMarker = pData[nPos + 1];
        if (bMarker == 0xFF) {
            ++nPos;  // fill byte
            continue;
        }
        if (bMarker == kMarkerEOI)
            return true;
        if (bMarker == 0x00 || bMarker == 0x01 || (bMarker >= 0xD0 && bMarker <= kMarkerSOI)) {
            nPos += 2;  // markers without a length
            continue;
        }
        if (nPos + 4 > cbData)
            return true;
        const std::size_t cbLength = Big16(pData + nPos + 2);
        if (cbLength < 2)
            return true;  // broken segment length: give up on the header
        if (bMarker == kMarkerSOS) {
            pLayout->bReachedScan = pLayout->bFoundFrame;
            if (nPos + 2 + cbLength <= cbData && cbLength >= 3) {
                pLayout->nScanComponents = pData[nPos + 4];
                pLayout->nScanDataPos = nPos + 2 + cbLength;
            }
            return true;
        }
        if (nPos + 2 + cbLength > cbData)
            return true;  // the bytes end inside this segment
        const std::uint8_t* pSegment = pData + nPos + 4;
        const std::size_t cbSegment = cbLength - 2;
        if (bMarker == kMarkerDRI && cbSegment >= 2)
            pLayout->nRestartInterval = Big16(pSegment);
        if (bMarker == kMarkerAPP1 && !bOrientationRead && cbSegment >= 6 &&
            std::memcmp(pSegment, "Exif\0\0", 6) == 0) {
            pLayout->nOrientation = ReadExifOrientation(pSegment, cbSegment);
            bOrientationRead = true;
        } else if (IsFrameMarker(bMarker) && !pLayout->bFoundFrame) {
            ReadFrame(pSegment, cbSegment, bMarker, pLayout);
            if (pLayout->bFoundFrame)
                pLayout->nFrameHeightPos = nPos + 5;
        }
        nPos += 2 + cbLength;
    }
    return true;
}
