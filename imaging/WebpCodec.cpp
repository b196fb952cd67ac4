// WebP pictures (lossy, lossless, with or without alpha) through libwebp. An animation is not
// decoded: libwebp's simple interface refuses it.
#include "RasterCodec.h"

#include <webp/decode.h>

namespace {

bool ReadWebpSize(const std::uint8_t* pData, std::size_t cbData, int* pnWidth, int* pnHeight)
{
    return WebPGetInfo(pData, cbData, pnWidth, pnHeight) != 0;
}

bool DecodeWebp(const std::uint8_t* pData, std::size_t cbData, int nWidth, int nHeight,
                std::uint8_t* pTarget)
{
    int nStoredWidth = 0, nStoredHeight = 0;
    if (!ReadWebpSize(pData, cbData, &nStoredWidth, &nStoredHeight) || nStoredWidth != nWidth ||
        nStoredHeight != nHeight)
        return false;
    const std::size_t cbTarget = std::size_t(nWidth) * std::size_t(nHeight) * 4;
    return WebPDecodeBGRAInto(pData, cbData, pTarget, cbTarget, nWidth * 4) != nullptr;
}

}  // namespace

const RasterCodec& WebpCodec()
{
    static const RasterCodec codec{ReadWebpSize, DecodeWebp};
    return codec;
}
