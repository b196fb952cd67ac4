#include "PictureFormat.h"

#include <cstring>

namespace {

bool StartsWith(const std::uint8_t* pData, std::size_t cbData, std::size_t nAt, const char* pszText,
                std::size_t cbText)
{
    return cbData >= nAt + cbText && std::memcmp(pData + nAt, pszText, cbText) == 0;
}

// The brands of still pictures that libheif decodes. Movies (and Canon's CR3) carry other
// brands; their embedded picture is found the way a raw file's is.
bool IsHeifImageBrand(const std::uint8_t* pBrand)
{
    static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "mif1", "mif2", "avif"};
    for (const char* pszBrand : kBrands) {
        if (std::memcmp(pBrand, pszBrand, 4) == 0)
            return true;
    }
    return false;
}

// The file type box that begins every ISO base media file: its size, "ftyp", the major brand,
// a minor version, and compatible brands up to the end of the box.
bool IsHeifImage(const std::uint8_t* pData, std::size_t cbData)
{
    if (!StartsWith(pData, cbData, 4, "ftyp", 4) || cbData < 16)
        return false;
    const std::uint32_t dwBoxSize = (std::uint32_t{pData[0]} << 24) | (std::uint32_t{pData[1]} << 16) |
                                    (std::uint32_t{pData[2]} << 8) | pData[3];
    if (dwBoxSize < 16)
        return false;
    if (IsHeifImageBrand(pData + 8))
        return true;
    const std::size_t cbBox = dwBoxSize < cbData ? dwBoxSize : cbData;
    for (std::size_t nAt = 16; nAt + 4 <= cbBox; nAt += 4) {
        if (IsHeifImageBrand(pData + nAt))
            return true;
    }
    return false;
}

}  // namespace

PictureFormat SniffPictureFormat(const std::uint8_t* pData, std::size_t cbData)
{
    if (StartsWith(pData, cbData, 0, "\xFF\xD8", 2))
        return PictureFormat::Jpeg;
    if (StartsWith(pData, cbData, 0, "\x89PNG\r\n\x1A\n", 8))
        return PictureFormat::Png;
    if (StartsWith(pData, cbData, 0, "RIFF", 4) && StartsWith(pData, cbData, 8, "WEBP", 4))
        return PictureFormat::WebP;
    if (IsHeifImage(pData, cbData))
        return PictureFormat::Heif;
    return PictureFormat::Other;
}
