#include "RasterPicture.h"

#include "ImageDecoder.h"
#include "ScaleRule.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

bool PlanRaster(const RasterCodec& codec, const std::uint8_t* pData, std::size_t cbData,
                RasterPlan* pPlan)
{
    int nWidth = 0, nHeight = 0;
    if (!codec.pfnReadSize(pData, cbData, &nWidth, &nHeight) || nWidth <= 0 || nHeight <= 0 ||
        std::uint64_t(nWidth) * std::uint64_t(nHeight) > kDecoderMaxSourcePixels)
        return false;
    // The same reductions as a JPEG's: a preview at least as large as the screen, no larger.
    static const std::vector<ScaleFactor> factors = PreviewScaleFactors();
    const ScaledSize scaled = ChoosePreviewScale(nWidth, nHeight, factors.data(), factors.size());
    if (std::uint64_t(scaled.nWidth) * std::uint64_t(scaled.nHeight) > kDecoderMaxPixels)
        return false;
    pPlan->nWidth = nWidth;
    pPlan->nHeight = nHeight;
    pPlan->nReduction = scaled.factor.nDenom / scaled.factor.nNum;
    pPlan->nOutWidth = scaled.nWidth;
    pPlan->nOutHeight = scaled.nHeight;
    return true;
}

bool DecodeRaster(const RasterCodec& codec, const std::uint8_t* pData, std::size_t cbData,
                  const RasterPlan& plan, std::uint32_t* pTarget)
{
    const std::size_t cbPicture = std::size_t(plan.nWidth) * std::size_t(plan.nHeight) * 4;
    const std::unique_ptr<std::uint8_t[]> pPicture(new (std::nothrow) std::uint8_t[cbPicture]);
    if (!pPicture || !codec.pfnDecode(pData, cbData, plan.nWidth, plan.nHeight, pPicture.get()))
        return false;
    ReduceOntoWhite(pPicture.get(), plan.nWidth, plan.nHeight, plan.nReduction, pTarget);
    return true;
}

void ReduceOntoWhite(const std::uint8_t* pSource, int nWidth, int nHeight, int nReduction,
                     std::uint32_t* pTarget)
{
    const int n = std::max(1, nReduction);
    const int nOutWidth = (nWidth + n - 1) / n, nOutHeight = (nHeight + n - 1) / n;
    // Sums of the blue, green and red of the blocks of one row of the preview, laid onto white.
    std::vector<std::uint32_t> sums(std::size_t(nOutWidth) * 3);
    for (int oy = 0; oy < nOutHeight; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int yEnd = std::min(nHeight, (oy + 1) * n);
        for (int y = oy * n; y < yEnd; ++y) {
            const std::uint8_t* p = pSource + std::size_t(y) * std::size_t(nWidth) * 4;
            for (int x = 0; x < nWidth; ++x, p += 4) {
                const unsigned a = p[3], white = 255u * (255u - a);
                std::uint32_t* pSum = &sums[std::size_t(x / n) * 3];
                pSum[0] += (p[0] * a + white + 127) / 255;
                pSum[1] += (p[1] * a + white + 127) / 255;
                pSum[2] += (p[2] * a + white + 127) / 255;
            }
        }
        const unsigned nRows = static_cast<unsigned>(yEnd - oy * n);
        std::uint32_t* pRow = pTarget + std::size_t(oy) * std::size_t(nOutWidth);
        for (int ox = 0; ox < nOutWidth; ++ox) {
            const unsigned nColumns = static_cast<unsigned>(std::min(nWidth, (ox + 1) * n) - ox * n);
            const unsigned nCount = nRows * nColumns;
            const std::uint32_t* pSum = &sums[std::size_t(ox) * 3];
            const std::uint32_t b = (pSum[0] + nCount / 2) / nCount;
            const std::uint32_t g = (pSum[1] + nCount / 2) / nCount;
            const std::uint32_t r = (pSum[2] + nCount / 2) / nCount;
            pRow[ox] = b | (g << 8) | (r << 16) | 0xFF000000u;
        }
    }
}
