// The picture formats the decoder reads through a library that gives the whole picture at its
// stored size (PNG, WebP, HEIF), each behind the same two calls.
#pragma once

#include <cstddef>
#include <cstdint>

struct RasterCodec {
    // The picture's size from its headers, as it is shown (after any rotation the format itself
    // records); false when the bytes are not a picture of this format.
    bool (*pfnReadSize)(const std::uint8_t* pData, std::size_t cbData, int* pnWidth, int* pnHeight);
    // Decodes the picture, nWidth x nHeight as pfnReadSize gave it, into pTarget: blue, green,
    // red and alpha bytes (alpha not premultiplied, 255 opaque) per pixel, rows top-down without
    // padding. False when the picture cannot be decoded whole or is not of that size.
    bool (*pfnDecode)(const std::uint8_t* pData, std::size_t cbData, int nWidth, int nHeight,
                      std::uint8_t* pTarget);
};

// libpng, libwebp and libheif (HEIC and AVIF).
const RasterCodec& PngCodec();
const RasterCodec& WebpCodec();
const RasterCodec& HeifCodec();
