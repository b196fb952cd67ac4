// The preview decoder: reads a picture into a 32-bit top-down device-independent bitmap, scaled
// down for the preview pane. A JPEG is turned upright as its EXIF Orientation says; PNG, WebP,
// HEIC and AVIF files are decoded through their own libraries (transparent parts laid onto
// white); any other file (a raw file, a TIFF, a video) shows the JPEG picture it embeds, found
// by the locator set below and decoded as a JPEG file is, turned as the raw file's own
// Orientation says when the picture has none. The format is told by the content.
#pragma once

#include "../platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One function, two call modes, always the first followed by the second for the same path:
//
// Size query: DecodePreviewImage(nullptr, nullptr, path, &dwCount) reads the file and sets
// dwCount to the number of bytes the pixel block needs for this picture (0 for a file it cannot
// read). The bytes read (for a file that embeds its picture, those of the embedded JPEG) are kept for the decode of the same path that follows on this thread.
//
// Decode: DecodePreviewImage(pHeader, pBits, path, nullptr) with pHeader a global block of at
// least 40 bytes (the 1064-byte bitmap header block) and pBits a global block (GlobalAllocZeroed)
// fills the header as a BITMAPINFOHEADER of a 32-bit BI_RGB picture with rows top-down
// (negative biHeight) and the block with its pixels: blue, green, red and an unused byte of
// 0xFF per pixel, rows without padding. Right after the size query of the same path it decodes
// the bytes that query read and reads nothing itself (so a caller may hold a lock around the
// decode alone); otherwise it reads the file. The pixels are written only when they fit in
// GlobalSize(pBits) bytes. A file that cannot be read, is not a usable JPEG or does not fit
// leaves biWidth and biHeight 0 (so does a file that embeds no picture, a video without one).
//
// Returns 1 when the query or decode succeeded, 0 otherwise (callers need not look at it).
int DecodePreviewImage(void* pHeader, void* pBits, const char* pszPath, DWORD* pdwCount);

// How the decoder reads a file: ReadFileHead (platform/winreadfile.h) unless another reader is
// set here (tests use a slow one); null restores ReadFileHead.
using PreviewFileReader = bool (*)(const char* pszPath, std::size_t cbLimit,
                                   std::vector<std::uint8_t>* pData, std::uint64_t* pqwFileSize);
void SetPreviewFileReader(PreviewFileReader pfnReader);

// Where a file that is none of the formats the decoder reads keeps an embedded JPEG picture:
// its offset and length in the file, false when there is none. The decoder reads only that
// stretch (refused beyond kDecoderMaxFileBytes). Without a locator (the default, or null) such
// a file is not shown. The program sets ExifFindEmbeddedJpeg here.
using EmbeddedJpegLocator = bool (*)(const char* pszPath, std::uint64_t* pqwOffset,
                                     std::uint64_t* pqwLength);
void SetEmbeddedJpegLocator(EmbeddedJpegLocator pfnLocator);

// How many threads one decode may use: a picture whose scan has restart markers is cut into
// that many stripes decoded side by side. 0, the default, means one per processor (at most 8).
void SetPreviewDecoderThreads(int nThreads);

// The decoder's limits: larger files or pictures are refused rather than decoded.
constexpr std::uint64_t kDecoderMaxFileBytes = 256ull << 20;
constexpr std::uint64_t kDecoderMaxPixels = 32ull << 20;          // of the scaled picture
// PNG, WebP and HEIF pictures are decoded whole before they are reduced: their stored size.
constexpr std::uint64_t kDecoderMaxSourcePixels = 64ull << 20;
constexpr std::uint64_t kDecoderMaxCoefficientBytes = 384ull << 20;  // progressive pictures
