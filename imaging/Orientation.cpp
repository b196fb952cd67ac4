#include "Orientation.h"

#include <cstddef>
#include <cstring>

void OrientedSize(int nWidth, int nHeight, int nOrientation, int* pnWidth, int* pnHeight)
{
    const bool bSwapped = nOrientation >= 5 && nOrientation <= 8;
    *pnWidth = bSwapped ? nHeight : nWidth;
    *pnHeight = bSwapped ? nWidth : nHeight;
}

void OrientPixels(const std::uint32_t* pSource, int nWidth, int nHeight, int nOrientation,
                  std::uint32_t* pTarget)
{
    const std::size_t W = static_cast<std::size_t>(nWidth);
    const std::size_t H = static_cast<std::size_t>(nHeight);
    int nOutWidth = 0, nOutHeight = 0;
    OrientedSize(nWidth, nHeight, nOrientation, &nOutWidth, &nOutHeight);
    const std::size_t OW = static_cast<std::size_t>(nOutWidth);
    const std::size_t OH = static_cast<std::size_t>(nOutHeight);
    // Each upright pixel (x, y) is read from the stored picture at (sx, sy).
    for (std::size_t y = 0; y < OH; ++y) {
        std::uint32_t* pRow = pTarget + y * OW;
        switch (nOrientation) {
        case 2:  // mirrored left to right
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[y * W + (W - 1 - x)];
            break;
        case 3:  // turned by 180 degrees
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[(H - 1 - y) * W + (W - 1 - x)];
            break;
        case 4:  // mirrored top to bottom
            std::memcpy(pRow, pSource + (H - 1 - y) * W, W * sizeof *pRow);
            break;
        case 5:  // mirrored along the main diagonal
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[x * W + y];
            break;
        case 6:  // stored turned left: turn right by 90 degrees
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[(H - 1 - x) * W + y];
            break;
        case 7:  // mirrored along the other diagonal
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[(H - 1 - x) * W + (W - 1 - y)];
            break;
        case 8:  // stored turned right: turn left by 90 degrees
            for (std::size_t x = 0; x < OW; ++x)
                pRow[x] = pSource[x * W + (W - 1 - y)];
            break;
        default:
            std::memcpy(pRow, pSource + y * W, W * sizeof *pRow);
            break;
        }
    }
}
