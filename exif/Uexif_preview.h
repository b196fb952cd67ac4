// Where a RAW picture, a TIFF file or a video keeps the JPEG preview it embeds, so the preview
// pane can show a file whose own picture data the decoder cannot read.
#pragma once

#include <cstdint>

// Finds the largest JPEG picture the file embeds (a raw file's preview, a TIFF's JPEG strip, a
// video's cover picture): its file offset and length. False when the file embeds none or
// cannot be read.
bool ExifFindEmbeddedJpeg(const char* pszPath, std::uint64_t* pqwOffset, std::uint64_t* pqwLength);
