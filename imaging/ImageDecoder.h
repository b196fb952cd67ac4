// The preview decoder: reads a JPEG picture into a 32-bit top-down device-independent bitmap,
// scaled down for the preview pane and turned upright as its EXIF Orientation says.
#pragma once

#include "../platform/wintypes.h"

#include <cstdint>

// One function, two call modes, always the first followed by the second for the same path:
//
// Size query: DecodePreviewImage(nullptr, nullptr, path, &dwCount) sets dwCount to the number of
// bytes the pixel block needs for this picture (0 for a file it cannot read).
//
// Decode: DecodePreviewImage(pHeader, pBits, path, nullptr) with pHeader a global block of at
// least 40 bytes (the 1064-byte bitmap header block) and pBits a global block (GlobalAllocZeroed)
// fills the header as a BITMAPINFOHEADER of a 32-bit BI_RGB picture with rows top-down
// (negative biHeight) and the block with its pixels: blue, green, red and an unused byte of
// 0xFF per pixel, rows without padding. The file is read again, so it may have changed since
// the size query: the pixels are written only when they fit in GlobalSize(pBits) bytes. A file
// that cannot be read, is not a usable JPEG or does not fit leaves biWidth and biHeight 0.
//
// Returns 1 when the query or decode succeeded, 0 otherwise (callers need not look at it).
int DecodePreviewImage(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount);

// How many threads one decode may use: a picture whose scan has restart markers is cut into
// that many stripes decoded side by side. 0, the default, means one per processor (at most 8).
void SetPreviewDecoderThreads(int nThreads);

// The decoder's limits: larger files or pictures are refused rather than decoded.
constexpr std::uint64_t kDecoderMaxFileBytes = 256ull << 20;
constexpr std::uint64_t kDecoderMaxPixels = 32ull << 20;          // of the scaled picture
constexpr std::uint64_t kDecoderMaxCoefficientBytes = 384ull << 20;  // progressive pictures
