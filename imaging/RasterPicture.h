// Pictures that a library decodes whole at their stored size (PNG, WebP, HEIF): planned from
// their size, decoded, then reduced for the preview by a power of two and laid onto white
// where they are transparent.
#pragma once

#include "RasterCodec.h"

#include <cstddef>
#include <cstdint>

struct RasterPlan {
    int nWidth = 0;   // the picture as decoded
    int nHeight = 0;
    int nReduction = 1;  // every nReduction x nReduction block of pixels becomes one
    int nOutWidth = 0;   // the picture in the preview
    int nOutHeight = 0;
};

// False when the bytes are not a picture of the codec's format, or when the whole picture
// (kDecoderMaxSourcePixels) or the reduced one (kDecoderMaxPixels) is too large to decode;
// nothing is allocated before the size has been checked.
bool PlanRaster(const RasterCodec& codec, const std::uint8_t* pData, std::size_t cbData,
                RasterPlan* pPlan);

// Decodes the planned picture into pTarget, nOutWidth x nOutHeight pixels of blue, green, red
// and 0xFF, rows top-down. False when it cannot be decoded or no memory can be had for it.
bool DecodeRaster(const RasterCodec& codec, const std::uint8_t* pData, std::size_t cbData,
                  const RasterPlan& plan, std::uint32_t* pTarget);

// Reduces nWidth x nHeight pixels of blue, green, red and straight alpha by nReduction in both
// directions (the last blocks of a row or column may be partial), each block's average laid
// onto white. The target holds ceil(nWidth / nReduction) x ceil(nHeight / nReduction) pixels.
void ReduceOntoWhite(const std::uint8_t* pSource, int nWidth, int nHeight, int nReduction,
                     std::uint32_t* pTarget);
