#include "Orientation.h"

#include <algorithm>
#include <cstddef>

namespace {

// Where the upright pixel (x, y) lies in the stored picture: at nStart + x * nStepX + y * nStepY.
struct SourceWalk {
    std::ptrdiff_t nStart;
    std::ptrdiff_t nStepX;
    std::ptrdiff_t nStepY;
};

SourceWalk WalkFor(int nOrientation, std::ptrdiff_t W, std::ptrdiff_t H)
{
    switch (nOrientation) {
    case 2: return {W - 1, -1, W};                  // mirrored left to right
    case 3: return {(H - 1) * W + W - 1, -1, -W};   // turned by 180 degrees
    case 4: return {(H - 1) * W, 1, -W};            // mirrored top to bottom
    case 5: return {0, W, 1};                       // mirrored along the main diagonal
    case 6: return {(H - 1) * W, -W, 1};            // stored turned left: turn right
    case 7: return {(H - 1) * W + W - 1, -W, -1};   // mirrored along the other diagonal
    case 8: return {W - 1, W, -1};                  // stored turned right: turn left
    default: return {0, 1, W};
    }
}

// Square tiles keep both the rows read and the rows written in the cache when the picture is
// turned by 90 degrees.
constexpr std::ptrdiff_t kTile = 64;

}  // namespace

void OrientedSize(int nWidth, int nHeight, int nOrientation, int* pnWidth, int* pnHeight)
{
    const bool bSwapped = nOrientation >= 5 && nOrientation <= 8;
    *pnWidth = bSwapped ? nHeight : nWidth;
    *pnHeight = bSwapped ? nWidth : nHeight;
}

void OrientPixels(const std::uint32_t* pSource, int nWidth, int nHeight, int nOrientation,
                  std::uint32_t* pTarget)
{
    int nOutWidth = 0, nOutHeight = 0;
    OrientedSize(nWidth, nHeight, nOrientation, &nOutWidth, &nOutHeight);
    const std::ptrdiff_t OW = nOutWidth, OH = nOutHeight;
    const SourceWalk walk = WalkFor(nOrientation, nWidth, nHeight);
    // Rows that are read along stored rows need no tiles.
    const std::ptrdiff_t nTileWidth = (walk.nStepX == 1 || walk.nStepX == -1) ? OW : kTile;
    for (std::ptrdiff_t y0 = 0; y0 < OH; y0 += kTile) {
        for (std::ptrdiff_t x0 = 0; x0 < OW; x0 += nTileWidth) {
            const std::ptrdiff_t yEnd = std::min(y0 + kTile, OH);
            const std::ptrdiff_t xEnd = std::min(x0 + nTileWidth, OW);
            for (std::ptrdiff_t y = y0; y < yEnd; ++y) {
                std::uint32_t* pTo = pTarget + y * OW + x0;
                const std::uint32_t* pFrom = pSource + walk.nStart + y * walk.nStepY + x0 * walk.nStepX;
                for (std::ptrdiff_t x = x0; x < xEnd; ++x, pFrom += walk.nStepX)
                    *pTo++ = *pFrom;
            }
        }
    }
}
