#include "PictureFixtures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

// A portable arbitrary map, the plain format convert reads without guessing: a text header,
// then red, green, blue (and alpha) bytes per pixel.
Bytes PamFile(const PixelPicture& picture, const AlphaPlane& alpha)
{
    const bool bAlpha = !alpha.empty();
    const std::string strHeader = "P7\nWIDTH " + std::to_string(picture.nWidth) + "\nHEIGHT " +
                                  std::to_string(picture.nHeight) + "\nDEPTH " + (bAlpha ? "4" : "3") +
                                  "\nMAXVAL 255\nTUPLTYPE " + (bAlpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
    Bytes pam(strHeader.begin(), strHeader.end());
    const std::size_t nPixels = std::size_t(picture.nWidth) * std::size_t(picture.nHeight);
    for (std::size_t i = 0; i < nPixels; ++i) {
        const std::uint8_t* p = picture.bytes.data() + 4 * i;
        pam.insert(pam.end(), {p[2], p[1], p[0]});
        if (bAlpha)
            pam.push_back(alpha[i]);
    }
    return pam;
}

std::string Quoted(const std::string& str)
{
    return "'" + str + "'";
}

bool Run(const std::string& strCommand)
{
    const int nResult = std::system((strCommand + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(nResult, 0) << strCommand;
    return nResult == 0;
}

void PutBigEndian32(Bytes* pData, std::size_t nAt, std::uint32_t dw)
{
    for (int i = 0; i < 4; ++i)
        (*pData)[nAt + i] = std::uint8_t(dw >> (24 - 8 * i));
}

}  // namespace

AlphaPlane QuadrantAlpha(int nWidth, int nHeight)
{
    AlphaPlane alpha(std::size_t(nWidth) * std::size_t(nHeight), 255);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            const bool bRight = x >= nWidth / 2, bBottom = y >= nHeight / 2;
            if (bRight != bBottom)
                alpha[std::size_t(y) * nWidth + x] = bRight ? 0 : 128;
        }
    return alpha;
}

std::string WritePicture(const ScratchFolder& folder, const std::string& strName,
                         const PixelPicture& picture, PictureKind kind, const AlphaPlane& alpha)
{
    const std::string strPam = Quoted(folder.Write(strName + ".pam", PamFile(picture, alpha)));
    const std::string strOut = folder.PathOf(strName), strTarget = Quoted(strOut);
    // heif-enc reads 8-bit RGB or RGBA PNG files (not the palette ones convert may choose).
    const std::string strPng = std::string(alpha.empty() ? "png24:" : "png32:") + Quoted(folder.PathOf(strName + ".png"));
    const std::string strPngIn = Quoted(folder.PathOf(strName + ".png"));
    bool bMade = false;
    switch (kind) {
    case PictureKind::Png: bMade = Run("convert " + strPam + " png:" + strTarget); break;
    case PictureKind::PngPalette: bMade = Run("convert " + strPam + " png8:" + strTarget); break;
    case PictureKind::Png16: bMade = Run("convert " + strPam + " -depth 16 png:" + strTarget); break;
    case PictureKind::PngInterlaced: bMade = Run("convert " + strPam + " -interlace PNG png:" + strTarget); break;
    case PictureKind::WebpLossless:
        bMade = Run("convert " + strPam + " -define webp:lossless=true webp:" + strTarget);
        break;
    case PictureKind::WebpLossy: bMade = Run("convert " + strPam + " -quality 90 webp:" + strTarget); break;
    case PictureKind::Heic:
        bMade = Run("convert " + strPam + " " + strPng) && Run("heif-enc -q 90 " + strPngIn + " -o " + strTarget);
        break;
    case PictureKind::Avif:
        bMade = Run("convert " + strPam + " " + strPng) &&
                Run("heif-enc -A -q 90 -p chroma=420 " + strPngIn + " -o " + strTarget);
        break;
    }
    return bMade ? strOut : std::string();
}

Bytes ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes WithPngSize(const Bytes& png, std::uint32_t dwWidth, std::uint32_t dwHeight)
{
    // Signature (8), IHDR length (4) and type (4), width, height, five bytes, CRC.
    Bytes changed = png;
    PutBigEndian32(&changed, 16, dwWidth);
    PutBigEndian32(&changed, 20, dwHeight);
    PutBigEndian32(&changed, 29, static_cast<std::uint32_t>(crc32(0, changed.data() + 12, 17)));
    return changed;
}

Bytes WithWebpLosslessSize(const Bytes& webp, int nWidth, int nHeight)
{
    // RIFF header (12), "VP8L", chunk size, signature 0x2F, then 14 bits of width - 1, 14 of
    // height - 1, the alpha hint and the version, least significant bits first.
    Bytes changed = webp;
    const std::uint32_t dwOld = changed[21] | (changed[22] << 8) | (changed[23] << 16) | (std::uint32_t(changed[24]) << 24);
    const std::uint32_t dwNew = (dwOld & 0xF0000000u) | std::uint32_t(nWidth - 1) | (std::uint32_t(nHeight - 1) << 14);
    for (int i = 0; i < 4; ++i)
        changed[21 + i] = std::uint8_t(dwNew >> (8 * i));
    return changed;
}

Bytes WithHeifSize(const Bytes& heif, std::uint32_t dwWidth, std::uint32_t dwHeight)
{
    // Every "ispe" property: type, version and flags, width, height.
    Bytes changed = heif;
    static const char kIspe[] = "ispe";
    for (auto it = changed.begin();
         (it = std::search(it, changed.end(), kIspe, kIspe + 4)) != changed.end(); it += 4) {
        const std::size_t nAt = std::size_t(it - changed.begin());
        if (nAt + 16 <= changed.size()) {
            PutBigEndian32(&changed, nAt + 8, dwWidth);
            PutBigEndian32(&changed, nAt + 12, dwHeight);
        }
    }
    return changed;
}
