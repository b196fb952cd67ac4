// PNG pictures through libpng's simplified interface, which reads every bit depth, palette,
// grey and transparency variant as 8-bit sRGB with alpha.
#include "RasterCodec.h"

#include <png.h>

namespace {

// A started read of the picture's headers, released at the end of the scope.
struct PngRead {
    png_image image{};
    bool bStarted = false;

    PngRead(const std::uint8_t* pData, std::size_t cbData)
    {
        image.version = PNG_IMAGE_VERSION;
        bStarted = png_image_begin_read_from_memory(&image, pData, cbData) != 0;
    }
    ~PngRead() { png_image_free(&image); }
    PngRead(const PngRead&) = delete;
    PngRead& operator=(const PngRead&) = delete;
};

bool ReadPngSize(const std::uint8_t* pData, std::size_t cbData, int* pnWidth, int* pnHeight)
{
    PngRead read(pData, cbData);
    if (!read.bStarted || read.image.width > 0x7FFFFFFFu || read.image.height > 0x7FFFFFFFu)
        return false;
    *pnWidth = static_cast<int>(read.image.width);
    *pnHeight = static_cast<int>(read.image.height);
    return true;
}

bool DecodePng(const std::uint8_t* pData, std::size_t cbData, int nWidth, int nHeight,
               std::uint8_t* pTarget)
{
    PngRead read(pData, cbData);
    if (!read.bStarted || read.image.width != static_cast<png_uint_32>(nWidth) ||
        read.image.height != static_cast<png_uint_32>(nHeight))
        return false;
    read.image.format = PNG_FORMAT_BGRA;
    // A file cut short or with a damaged chunk fails here (after libpng's own CRC and bounds
    // checks) and shows nothing.
    return png_image_finish_read(&read.image, nullptr, pTarget, 0, nullptr) != 0;
}

}  // namespace

const RasterCodec& PngCodec()
{
    static const RasterCodec codec{ReadPngSize, DecodePng};
    return codec;
}
