// Which kind of picture a file holds, told by its first bytes, never by its name.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PictureFormat {
    Jpeg,
    Png,
    WebP,
    Heif,   // HEIC, HEIF and AVIF still pictures (an ISO base media file of an image brand)
    Other,  // anything else: a raw file, a TIFF, a video, or no picture at all
};

// The format of the file that begins with these bytes (the first few hundred are enough).
PictureFormat SniffPictureFormat(const std::uint8_t* pData, std::size_t cbData);
