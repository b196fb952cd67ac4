// PNG, WebP, HEIC and AVIF files made on the spot by ImageMagick's convert and libheif's
// heif-enc from a picture the test draws, and a few changes to their headers.
#pragma once

#include "JpegFixtures.h"

#include <string>

enum class PictureKind { Png, PngPalette, Png16, PngInterlaced, WebpLossless, WebpLossy, Heic, Avif };

// Opacity per pixel: 255 opaque. Empty means no alpha channel.
using AlphaPlane = std::vector<std::uint8_t>;
// The quadrant picture's opacity: top right clear, bottom left half covered, the rest opaque.
AlphaPlane QuadrantAlpha(int nWidth, int nHeight);

// Writes the picture (with alpha when given) as strName in the folder in that kind, and gives
// its path; fails the test and gives "" when the tool fails.
std::string WritePicture(const ScratchFolder& folder, const std::string& strName,
                         const PixelPicture& picture, PictureKind kind, const AlphaPlane& alpha = {});

Bytes ReadBytes(const std::string& strPath);

// The same file claiming another picture size in its header, everything else as it was:
// PNG's IHDR (its CRC made right again), a lossless WebP's VP8L header, HEIF's ispe box.
Bytes WithPngSize(const Bytes& png, std::uint32_t dwWidth, std::uint32_t dwHeight);
Bytes WithWebpLosslessSize(const Bytes& webp, int nWidth, int nHeight);
Bytes WithHeifSize(const Bytes& heif, std::uint32_t dwWidth, std::uint32_t dwHeight);
