// Turning a decoded picture upright as its EXIF Orientation says.
#pragma once

#include <cstdint>

// Size of the upright picture: orientations 5 to 8 swap width and height.
void OrientedSize(int nWidth, int nHeight, int nOrientation, int* pnWidth, int* pnHeight);

// Copies the nWidth x nHeight 32-bit pixels of pSource (rows top-down, no padding) into pTarget
// turned upright for nOrientation (1..8; anything else copies unchanged). The target holds
// OrientedSize pixels, rows top-down, and must not overlap the source.
void OrientPixels(const std::uint32_t* pSource, int nWidth, int nHeight, int nOrientation,
                  std::uint32_t* pTarget);
